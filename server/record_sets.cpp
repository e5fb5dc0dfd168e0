#include "record_sets.h"

#include <array>

namespace appserver {
namespace {

constexpr pb::FieldType kString = pb::FIELD_TYPE_STRING;
constexpr pb::FieldType kFixed = pb::FIELD_TYPE_FIXED_STRING;
constexpr pb::FieldType kFloat = pb::FIELD_TYPE_FLOAT;
constexpr pb::FieldType kDateTime = pb::FIELD_TYPE_DATE_TIME;

constexpr std::array kPlanoVoo = {
    FieldSpec{"CDCIA", kString, 4},       FieldSpec{"SGCIA", kString, 5},
    FieldSpec{"CDTRECHO", kString, 4},    FieldSpec{"NRVOO", kString, 5},
    FieldSpec{"IDSITABASPV", kString, 1}, FieldSpec{"IDBREAKGERA", kString, 1},
    FieldSpec{"CDBASEORI", kString, 4},   FieldSpec{"CDBASEDES", kString, 4},
    FieldSpec{"HRDECOLVOO", kString, 4},  FieldSpec{"SGBASEO", kString, 5},
    FieldSpec{"SGBASED", kString, 5},     FieldSpec{"DTHRPLAVOOPV", kDateTime, 0},
    FieldSpec{"CDFILIAL", kString, 4},
};

constexpr std::array kPrevPax = {
    FieldSpec{"CDCIA", kString, 4},    FieldSpec{"NRVOO", kString, 5},
    FieldSpec{"CDTRECHO", kString, 4}, FieldSpec{"CDCLASSE", kString, 4},
    FieldSpec{"SGCLASSE", kString, 5}, FieldSpec{"QTTOTPAXAT", kFloat, 0},
    FieldSpec{"QTPAXSBY", kFloat, 0},  FieldSpec{"DTHRPLAVOOPV", kDateTime, 0},
    FieldSpec{"CDFILIAL", kString, 4},
};

constexpr std::array kServPlano = {
    FieldSpec{"CDCIA", kString, 4},          FieldSpec{"NRVOO", kString, 5},
    FieldSpec{"CDTRECHO", kString, 4},       FieldSpec{"CDSERVICO", kString, 10},
    FieldSpec{"NRDELIVERY", kFloat, 0},      FieldSpec{"CDAGRDECO", kString, 4},
    FieldSpec{"CDAGRDEDE", kString, 4},      FieldSpec{"IDSITSERSP", kString, 1},
    FieldSpec{"IDSEREXTSP", kString, 1},     FieldSpec{"IDSTKDTSP", kString, 1},
    FieldSpec{"CDUSRRESPSP", kString, 10},   FieldSpec{"QTANTAPRODSP", kFloat, 0},
    FieldSpec{"QTSESOLICSP", kFloat, 0},     FieldSpec{"QTSESBYPRSP", kFloat, 0},
    FieldSpec{"QTSESBYUTSP", kFloat, 0},     FieldSpec{"QTCORTSERVSP", kFloat, 0},
    FieldSpec{"QTATUAPRODSP", kFloat, 0},    FieldSpec{"QTSERFATSP", kFloat, 0},
    FieldSpec{"VRPRUDOLSESP", kFloat, 0},    FieldSpec{"VRPRURESESP", kFloat, 0},
    FieldSpec{"DTHRFEPRODSP", kDateTime, 0}, FieldSpec{"DTHRINCSESP", kDateTime, 0},
    FieldSpec{"DTHRTRASESP", kDateTime, 0},  FieldSpec{"DTHRCANCSESP", kDateTime, 0},
    FieldSpec{"QTSERVFIXSP", kFloat, 0},     FieldSpec{"VRPESOSESP", kFloat, 0},
    FieldSpec{"NRLANCTONF", kString, 10},    FieldSpec{"CDFILIAL", kString, 4},
    FieldSpec{"IDTIPSCBOSP", kString, 1},    FieldSpec{"VRLOADSESP", kFloat, 0},
    FieldSpec{"QTREALPROD", kFloat, 0},      FieldSpec{"NRITEMPLANSP", kFloat, 0},
    FieldSpec{"NRPROPAXSP", kFloat, 0},      FieldSpec{"TXOBSUSRSP", kString, 1},
    FieldSpec{"IDNACCIA", kString, 1},       FieldSpec{"DSSERVICO", kString, 50},
    FieldSpec{"DTHRPLAVOOPV", kDateTime, 0},
};

constexpr std::array kCia = {
    FieldSpec{"IDMARCADO", kFixed, 1},
    FieldSpec{"CDCIA", kString, 4},
    FieldSpec{"SGCIA", kString, 5},
    FieldSpec{"NMCIA", kString, 50},
};

}  // namespace

std::span<const FieldSpec> planoVooFields()
{
    return kPlanoVoo;
}
std::span<const FieldSpec> prevPaxFields()
{
    return kPrevPax;
}
std::span<const FieldSpec> servPlanoFields()
{
    return kServPlano;
}
std::span<const FieldSpec> ciaFields()
{
    return kCia;
}

}  // namespace appserver
