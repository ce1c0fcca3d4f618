// The legacy platform's "__class" members: the platform reads the class of every record it is
// sent from that member, so values of legacy record types are stamped before they leave.
#pragma once

#include <string>
#include <unordered_map>

#include "sdk/base/Fnv1a.h"
#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/BindingTypeCode.h"

namespace Zarn::Client {

// Registered type name -> legacy class name.
using LcdsClassTable =
    std::unordered_map<std::string, std::string, Fnv1aStringHash, std::equal_to<>>;

// Sets the member "__class" of `value` to the class of `descriptor`'s type in `classes`, then
// stamps the members that hold the type's fields, each by its field's descriptor. A list
// descriptor stamps each element and a map descriptor each member value instead of `value`
// itself. A type without a class stamps nothing, neither itself nor anything inside it. Only
// structures are stamped: an empty value or a scalar is never turned into one. Nesting deeper
// than 512 levels is left as it is.
void StampLcdsClassNames(BindingProperty& value, const BindingTypeDescriptor& descriptor,
                         const LcdsClassTable& classes);

}  // namespace Zarn::Client
