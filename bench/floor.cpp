// The benchmark's floor: writes the files of an unpacked payload from one
// memory-mapped blob with nothing but the plain file calls.
//
//   bench_floor BLOB MANIFEST DEST [EXTRAS]
//
// BLOB is every payload file concatenated; MANIFEST has one line per file,
// "SIZE<TAB>RELATIVE\PATH" (UTF-8), in blob order. Each file goes to
// DEST\RELATIVE\PATH; folders are created once, before their first file.
// EXTRAS, a comma-separated list, adds per-file calls an installer may make,
// to price them one by one: "times" (SetFileTime on the open handle), "attrs"
// (GetFileAttributesW after closing), "peek" (one PeekMessageW), "probe"
// (GetFileAttributesExW before creating), "pieces" (writes of at most 64 KiB).
// Exit code 0, or 1 with a line on standard error.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unordered_set>
#include <vector>

namespace {

struct Entry {
  uint64_t size = 0;
  std::wstring path;
};

// Closes a handle at the end of its scope.
class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }
  bool ok() const { return h_ && h_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE h_;
};

class View {
 public:
  explicit View(const void* p) : p_(p) {}
  ~View() {
    if (p_) UnmapViewOfFile(p_);
  }
  View(const View&) = delete;
  View& operator=(const View&) = delete;
  const uint8_t* data() const { return static_cast<const uint8_t*>(p_); }

 private:
  const void* p_;
};

int Fail(const std::wstring& what, DWORD error) {
  std::string msg = "bench_floor: ";
  for (wchar_t c : what) msg += char(c < 128 ? c : '?');
  msg += " (error " + std::to_string(error) + ")\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_ERROR_HANDLE), msg.data(), DWORD(msg.size()), &written, nullptr);
  return 1;
}

bool ReadManifest(const wchar_t* path, std::vector<Entry>& entries) {
  Handle h(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h.ok()) return false;
  std::string text;
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h.get(), buf, sizeof buf, &got, nullptr) && got) text.append(buf, got);
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    size_t tab = line.find('\t');
    if (tab == std::string::npos) continue;
    Entry e;
    e.size = strtoull(line.c_str(), nullptr, 10);
    std::string name = line.substr(tab + 1);
    int n = MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()), nullptr, 0);
    e.path.assign(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, name.data(), int(name.size()), e.path.data(), n);
    entries.push_back(std::move(e));
  }
  return true;
}

// Creates the folders of `relative` below `dest` that this run has not made yet.
bool MakeFolders(const std::wstring& dest, const std::wstring& relative, std::unordered_set<std::wstring>& made) {
  for (size_t slash = relative.find(L'\\'); slash != std::wstring::npos; slash = relative.find(L'\\', slash + 1)) {
    std::wstring folder = dest + L'\\' + relative.substr(0, slash);
    if (made.count(folder)) continue;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    made.insert(folder);
  }
  return true;
}

struct Extras {
  bool times = false, attrs = false, peek = false, probe = false, pieces = false;
};

Extras ParseExtras(std::wstring list) {
  Extras x;
  list += L',';
  for (size_t at = 0, comma; (comma = list.find(L',', at)) != std::wstring::npos; at = comma + 1) {
    std::wstring name = list.substr(at, comma - at);
    x.times |= name == L"times";
    x.attrs |= name == L"attrs";
    x.peek |= name == L"peek";
    x.probe |= name == L"probe";
    x.pieces |= name == L"pieces";
  }
  return x;
}

constexpr DWORD kSmallPiece = 64 * 1024;

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 && argc != 5) return Fail(L"usage: bench_floor BLOB MANIFEST DEST [EXTRAS]", ERROR_INVALID_PARAMETER);
  const Extras extras = ParseExtras(argc == 5 ? argv[4] : L"");
  // user32 only when asked: loading it is a start-up cost the floor should not pay.
  using PeekFn = BOOL(WINAPI*)(MSG*, HWND, UINT, UINT, UINT);
  PeekFn peek = extras.peek ? reinterpret_cast<PeekFn>(reinterpret_cast<void*>(
                                  GetProcAddress(LoadLibraryW(L"user32.dll"), "PeekMessageW")))
                            : nullptr;
  std::vector<Entry> entries;
  if (!ReadManifest(argv[2], entries)) return Fail(L"cannot read the manifest", GetLastError());

  Handle blob(CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!blob.ok()) return Fail(L"cannot open the blob", GetLastError());
  LARGE_INTEGER blob_size{};
  GetFileSizeEx(blob.get(), &blob_size);
  const uint8_t* data = nullptr;
  Handle mapping(blob_size.QuadPart ? CreateFileMappingW(blob.get(), nullptr, PAGE_READONLY, 0, 0, nullptr) : nullptr);
  if (blob_size.QuadPart && !mapping.ok()) return Fail(L"cannot map the blob", GetLastError());
  View view(mapping.ok() ? MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0) : nullptr);
  data = view.data();
  if (blob_size.QuadPart && !data) return Fail(L"cannot map the blob", GetLastError());

  const std::wstring dest = argv[3];
  for (size_t slash = dest.find(L'\\', 3); slash != std::wstring::npos; slash = dest.find(L'\\', slash + 1))
    CreateDirectoryW(dest.substr(0, slash).c_str(), nullptr);
  CreateDirectoryW(dest.c_str(), nullptr);
  std::unordered_set<std::wstring> made;
  uint64_t offset = 0;
  for (const Entry& e : entries) {
    if (offset + e.size > uint64_t(blob_size.QuadPart)) return Fail(L"the blob is shorter than the manifest", 0);
    if (!MakeFolders(dest, e.path, made)) return Fail(L"cannot create a folder for " + e.path, GetLastError());
    std::wstring path = dest + L'\\' + e.path;
    if (extras.probe) {
      WIN32_FILE_ATTRIBUTE_DATA info;
      GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &info);
    }
    {
      Handle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file.ok()) return Fail(L"cannot create " + path, GetLastError());
      const DWORD piece = extras.pieces ? kSmallPiece : DWORD(-1);
      for (uint64_t done = 0; done < e.size;) {
        DWORD n = DWORD(e.size - done < piece ? e.size - done : piece), written = 0;
        if (!WriteFile(file.get(), data + offset + done, n, &written, nullptr) || written != n)
          return Fail(L"cannot write " + path, GetLastError());
        done += n;
      }
      if (extras.times) {
        FILETIME t{0xD53E8000u, 0x019DB1DEu};  // 1970-01-01
        SetFileTime(file.get(), &t, nullptr, &t);
      }
    }
    if (extras.attrs) GetFileAttributesW(path.c_str());
    if (peek) {
      MSG msg;
      while (peek(&msg, nullptr, 0, 0, PM_REMOVE)) {
      }
    }
    offset += e.size;
  }
  return 0;
}
