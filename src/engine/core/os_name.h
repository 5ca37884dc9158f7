// The operating-system name of the installation log and the "<os>" text:
// gathers the facts from the system and applies the naming rule.
#pragma once
#include <string>

#include "portable/os_name_rule.h"

namespace ks {

// The facts as this system reports them.
OsFacts GatherOsFacts();
// Flag bit 0 (kOsNoServicePack) leaves out the service pack; bit 1
// (kOsShort) drops the edition texts.
std::u16string OperatingSystemName(unsigned flags = 0);

}  // namespace ks
