// BoxOwner and OwnerScope: a stack of announced windows, newest first.
#include "core/owner_window.h"

namespace ks {
namespace {

OwnerScope* g_newest = nullptr;

}  // namespace

OwnerScope::OwnerScope(HWND window) : previous_(g_newest), window_(window) { g_newest = this; }

OwnerScope::~OwnerScope() {
  // Scopes end in reverse order; unlink this one wherever it stands anyway.
  for (OwnerScope** link = &g_newest; *link; link = &(*link)->previous_) {
    if (*link == this) {
      *link = previous_;
      break;
    }
  }
}

HWND BoxOwner() {
  // A window destroyed before its scope ended owns nothing.
  for (OwnerScope* scope = g_newest; scope; scope = scope->previous_)
    if (scope->window_ && IsWindow(scope->window_)) return scope->window_;
  return nullptr;
}

}  // namespace ks
