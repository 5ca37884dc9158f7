// The progress text of one registration step: message 77 naming its item.
#pragma once
#include <string_view>

#include "install/install_context.h"
#include "portable/component_rules.h"

namespace ks {

// StringTable messages of the registration steps.
enum : int {
  kMsgRegistrationDone = 26,
  kMsgRegisteringItem = 77,
};

inline void ShowItemStatus(InstallSink& sink, std::u16string_view item) {
  sink.Status(ItemProgressText(sink.Text(kMsgRegisteringItem), item));
}

}  // namespace ks
