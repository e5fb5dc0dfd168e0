#pragma once

#include "proto/appserver.pb.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace appserver {

namespace pb = ate::appserver::v1;

// One field of a client record set: the packet carries it under this name
// and type, and the query selects it at the same position.
struct FieldDecl
{
    std::string_view name;
    pb::FieldType type;
    std::uint32_t size;
};

// The record sets the closing position screen, the airline filter and the
// report form load; fields in the record set's order.
std::span<const FieldDecl> planoVooFields();  // cdsPlanoVoo
std::span<const FieldDecl> prevPaxFields();   // cdsPrevPax
std::span<const FieldDecl> servPlanoFields(); // cdsServPlano
std::span<const FieldDecl> ciaFields();       // cdsCia and cdsCompanhia

} // namespace appserver
