// The owned pieces in core/ that the install operations build on: the COM
// pointer, the crash guard, the product DLL loader and the box owner.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "core/com_ptr.h"
#include "core/crash_guard.h"
#include "core/owner_window.h"
#include "core/product_library.h"
#include "core/wide.h"

namespace ks {
namespace {

// Counts the references it is given back.
class CountedObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!IsEqualIID(iid, IID_IUnknown)) return *out = nullptr, E_NOINTERFACE;
    AddRef();
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  ULONG references = 1;
};

TEST(ComPtr, ReleasesOnScopeExitMoveAndPut) {
  CountedObject object;
  {
    ComPtr<IUnknown> first(&object);
    ComPtr<IUnknown> queried;
    ASSERT_EQ(first.QueryTo(IID_IUnknown, queried), S_OK);
    EXPECT_EQ(object.references, 2u);
    ComPtr<IUnknown> moved(std::move(first));
    EXPECT_FALSE(first);
    EXPECT_EQ(object.references, 2u);
    queried.Put();  // an out-parameter call drops what the pointer held
    EXPECT_EQ(object.references, 1u);
    ComPtr<IStream> none;
    EXPECT_EQ(queried.QueryTo(IID_IStream, none), E_POINTER);
  }
  EXPECT_EQ(object.references, 0u);
}

// Wine may map the lowest pages, so the fault is a write to a no-access page.
void NullWrite() {
  void* page = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
  ASSERT_NE(page, nullptr);
  *static_cast<volatile int*>(page) = 1;
}

TEST(CrashGuard, ReportsACrashAndTheRunGoesOn) {
  bool ran = false;
  GuardedCall fine = CallGuarded([&] { ran = true; });
  EXPECT_TRUE(ran);
  EXPECT_FALSE(fine.crashed);

  GuardedCall crash = CallGuarded(NullWrite);
  EXPECT_TRUE(crash.crashed);
  EXPECT_EQ(crash.exception_code, DWORD(EXCEPTION_ACCESS_VIOLATION));

  // Nested: the inner guard takes the inner crash; the outer call completes.
  bool after_inner = false;
  GuardedCall outer = CallGuarded([&] {
    EXPECT_TRUE(CallGuarded([] { RaiseException(0xE0001234, 0, 0, nullptr); }).crashed);
    after_inner = true;
  });
  EXPECT_FALSE(outer.crashed);
  EXPECT_TRUE(after_inner);

  // And the thread still works after a crash: a second one is caught too.
  EXPECT_TRUE(CallGuarded(NullWrite).crashed);
}

std::u16string SystemDll(const char16_t* name) {
  wchar_t folder[MAX_PATH];
  UINT n = GetSystemDirectoryW(folder, MAX_PATH);
  return U16(folder, n) + u"\\" + name;
}

TEST(ProductLibrary, LoadsByFullPathOnlyAndFreesOnScopeExit) {
  ProductLibrary bare;
  SetLastError(0);
  EXPECT_FALSE(bare.Load(u"version.dll"));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(bare.IsLoaded());
  EXPECT_EQ(bare.Proc("GetFileVersionInfoSizeW"), nullptr);

  ProductLibrary missing;
  EXPECT_FALSE(missing.Load(SystemDll(u"ks_no_such_component.dll")));
  EXPECT_NE(GetLastError(), DWORD(ERROR_SUCCESS));

  // A DLL nothing else in this process holds goes away with its owner.
  const bool loaded_before = GetModuleHandleW(L"msimg32.dll") != nullptr;
  {
    ProductLibrary library;
    ASSERT_TRUE(library.Load(SystemDll(u"msimg32.dll")));
    EXPECT_NE(library.Proc("GradientFill"), nullptr);
    EXPECT_EQ(library.Proc("NoSuchExport"), nullptr);
    EXPECT_NE(GetModuleHandleW(L"msimg32.dll"), nullptr);
  }
  if (!loaded_before) {
    EXPECT_EQ(GetModuleHandleW(L"msimg32.dll"), nullptr);
  }
}

TEST(OwnerWindow, NewestLiveScopeOwnsBoxes) {
  EXPECT_EQ(BoxOwner(), nullptr);
  // Message-only windows: no display is needed.
  HWND main = CreateWindowW(L"STATIC", L"main", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  HWND progress = CreateWindowW(L"STATIC", L"progress", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_TRUE(main && progress);
  {
    OwnerScope main_scope(main);
    EXPECT_EQ(BoxOwner(), main);
    {
      OwnerScope progress_scope(progress);
      EXPECT_EQ(BoxOwner(), progress);
      DestroyWindow(progress);  // gone before its scope ended: owns nothing
      EXPECT_EQ(BoxOwner(), main);
    }
    EXPECT_EQ(BoxOwner(), main);
  }
  EXPECT_EQ(BoxOwner(), nullptr);
  DestroyWindow(main);
}

}  // namespace
}  // namespace ks
