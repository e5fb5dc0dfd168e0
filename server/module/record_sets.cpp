#include "server/module/record_sets.h"

#include <array>

namespace appserver {
namespace {

constexpr pb::FieldType kString = pb::FIELD_TYPE_STRING;
constexpr pb::FieldType kFixed = pb::FIELD_TYPE_FIXED_STRING;
constexpr pb::FieldType kFloat = pb::FIELD_TYPE_FLOAT;
constexpr pb::FieldType kDateTime = pb::FIELD_TYPE_DATE_TIME;

constexpr std::array kPlanoVoo = {
    FieldDecl{"CDCIA", kString, 4},       FieldDecl{"SGCIA", kString, 5},
    FieldDecl{"CDTRECHO", kString, 4},    FieldDecl{"NRVOO", kString, 5},
    FieldDecl{"IDSITABASPV", kString, 1}, FieldDecl{"IDBREAKGERA", kString, 1},
    FieldDecl{"CDBASEORI", kString, 4},   FieldDecl{"CDBASEDES", kString, 4},
    FieldDecl{"HRDECOLVOO", kString, 4},  FieldDecl{"SGBASEO", kString, 5},
    FieldDecl{"SGBASED", kString, 5},     FieldDecl{"DTHRPLAVOOPV", kDateTime, 0},
    FieldDecl{"CDFILIAL", kString, 4},
};

constexpr std::array kPrevPax = {
    FieldDecl{"CDCIA", kString, 4},    FieldDecl{"NRVOO", kString, 5},
    FieldDecl{"CDTRECHO", kString, 4}, FieldDecl{"CDCLASSE", kString, 4},
    FieldDecl{"SGCLASSE", kString, 5}, FieldDecl{"QTTOTPAXAT", kFloat, 0},
    FieldDecl{"QTPAXSBY", kFloat, 0},  FieldDecl{"DTHRPLAVOOPV", kDateTime, 0},
    FieldDecl{"CDFILIAL", kString, 4},
};

constexpr std::array kServPlano = {
    FieldDecl{"CDCIA", kString, 4},          FieldDecl{"NRVOO", kString, 5},
    FieldDecl{"CDTRECHO", kString, 4},       FieldDecl{"CDSERVICO", kString, 10},
    FieldDecl{"NRDELIVERY", kFloat, 0},      FieldDecl{"CDAGRDECO", kString, 4},
    FieldDecl{"CDAGRDEDE", kString, 4},      FieldDecl{"IDSITSERSP", kString, 1},
    FieldDecl{"IDSEREXTSP", kString, 1},     FieldDecl{"IDSTKDTSP", kString, 1},
    FieldDecl{"CDUSRRESPSP", kString, 10},   FieldDecl{"QTANTAPRODSP", kFloat, 0},
    FieldDecl{"QTSESOLICSP", kFloat, 0},     FieldDecl{"QTSESBYPRSP", kFloat, 0},
    FieldDecl{"QTSESBYUTSP", kFloat, 0},     FieldDecl{"QTCORTSERVSP", kFloat, 0},
    FieldDecl{"QTATUAPRODSP", kFloat, 0},    FieldDecl{"QTSERFATSP", kFloat, 0},
    FieldDecl{"VRPRUDOLSESP", kFloat, 0},    FieldDecl{"VRPRURESESP", kFloat, 0},
    FieldDecl{"DTHRFEPRODSP", kDateTime, 0}, FieldDecl{"DTHRINCSESP", kDateTime, 0},
    FieldDecl{"DTHRTRASESP", kDateTime, 0},  FieldDecl{"DTHRCANCSESP", kDateTime, 0},
    FieldDecl{"QTSERVFIXSP", kFloat, 0},     FieldDecl{"VRPESOSESP", kFloat, 0},
    FieldDecl{"NRLANCTONF", kString, 10},    FieldDecl{"CDFILIAL", kString, 4},
    FieldDecl{"IDTIPSCBOSP", kString, 1},    FieldDecl{"VRLOADSESP", kFloat, 0},
    FieldDecl{"QTREALPROD", kFloat, 0},      FieldDecl{"NRITEMPLANSP", kFloat, 0},
    FieldDecl{"NRPROPAXSP", kFloat, 0},      FieldDecl{"TXOBSUSRSP", kString, 1},
    FieldDecl{"IDNACCIA", kString, 1},       FieldDecl{"DSSERVICO", kString, 50},
    FieldDecl{"DTHRPLAVOOPV", kDateTime, 0},
};

constexpr std::array kCia = {
    FieldDecl{"IDMARCADO", kFixed, 1},
    FieldDecl{"CDCIA", kString, 4},
    FieldDecl{"SGCIA", kString, 5},
    FieldDecl{"NMCIA", kString, 50},
};

} // namespace

std::span<const FieldDecl> planoVooFields()
{
    return kPlanoVoo;
}
std::span<const FieldDecl> prevPaxFields()
{
    return kPrevPax;
}
std::span<const FieldDecl> servPlanoFields()
{
    return kServPlano;
}
std::span<const FieldDecl> ciaFields()
{
    return kCia;
}

} // namespace appserver
