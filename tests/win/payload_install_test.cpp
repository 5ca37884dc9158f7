// The payload phase under Wine: files written from a payload the builder's
// writer made (bytes, times, attributes, folders), the overwrite rules against
// real files and version resources, every corruption code, and files in use.
#include "install/payload_install.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/file.h"
#include "core/handle.h"
#include "core/registry_key.h"
#include "core/wide.h"
#include "core_test_folder.h"
#include "install/file_version.h"
#include "install/file_writer.h"
#include "install/files_in_use.h"
#include "portable/archive.h"
#include "portable/overwrite_rules.h"
#include "portable/sum32.h"
#include "portable/text.h"

namespace ks {
namespace {

constexpr uint64_t kSecond = 10000000;
constexpr uint64_t kBaseTime = 133000000000000000ull;  // 2022

std::string Narrow(const std::u16string& s) { return Utf16ToUtf8(s); }

class FakeSink : public InstallSink {
 public:
  std::u16string install_dir;
  std::span<const uint8_t> area;
  std::string log, failures;
  std::vector<std::pair<std::u16string, int>> records;
  std::vector<int> progress;
  std::vector<std::u16string> statuses;
  std::vector<std::u16string> written_follow_ups;

  std::u16string Expand(std::u16string text) override {
    const std::u16string name = u"%InstallDir%";
    for (size_t at; (at = text.find(name)) != std::u16string::npos;) text.replace(at, name.size(), install_dir);
    return text;
  }
  void Log(std::string_view utf8) override { log += utf8; }
  void AddFailure(std::string_view text8) override { failures += text8; }
  void RecordItem(const std::u16string& path, int kind) override { records.emplace_back(path, kind); }
  std::u16string Text(int number) override {
    std::string s = "<" + std::to_string(number) + ">";
    return std::u16string(s.begin(), s.end());
  }
  void Status(std::u16string_view text) override { statuses.emplace_back(text); }
  void Progress(int percent) override { progress.push_back(percent); }
  bool Pump() override { return false; }
  std::span<const uint8_t> PayloadArea() override { return area; }
  void FileWritten(const FileRecord&, const std::u16string& destination) override {
    written_follow_ups.push_back(destination);
  }

  bool Recorded(const std::u16string& path, int kind) const {
    return std::find(records.begin(), records.end(), std::make_pair(path, kind)) != records.end();
  }
  int StatusCount(std::u16string_view text) const { return int(std::count(statuses.begin(), statuses.end(), text)); }
};

struct PayloadFile {
  FileRecord record;
  std::string content;
};

FileRecord Record(std::string name, uint32_t kind = kKindFile, uint32_t flags = 0) {
  FileRecord r;
  r.FileName = std::move(name);
  r.Kind = kind;
  r.FileFlags = flags;
  return r;
}

std::span<const uint8_t> Span(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

FileTimes TimesOf(const std::u16string& path) {
  FileTimes t;
  WIN32_FILE_ATTRIBUTE_DATA d;
  if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &d)) return t;
  auto value = [](const FILETIME& f) { return uint64_t(f.dwHighDateTime) << 32 | f.dwLowDateTime; };
  t.creation = value(d.ftCreationTime);
  t.last_access = value(d.ftLastAccessTime);
  t.last_write = value(d.ftLastWriteTime);
  return t;
}

void SetLastWrite(const std::u16string& path, uint64_t time) {
  HANDLE h = CreateFileW(W(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME ft{DWORD(time), DWORD(time >> 32)};
  SetFileTime(h, nullptr, nullptr, &ft);
  CloseHandle(h);
}

// Every file below `folder`, relative, sorted.
std::set<std::u16string> FilesBelow(const std::u16string& folder, const std::u16string& prefix = {}) {
  std::set<std::u16string> out;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(W(folder + u"\\*"), &fd);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::u16string name = U16(fd.cFileName);
    if (name == u"." || name == u"..") continue;
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (auto& f : FilesBelow(folder + u"\\" + name, prefix + name + u"\\")) out.insert(f);
    } else {
      out.insert(prefix + name);
    }
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

std::vector<std::u16string> PendingRenames() {
  std::vector<std::u16string> out;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return out;
  DWORD type = 0, bytes = 0;
  if (RegQueryValueExW(key, kPendingRenamesValue, nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS && bytes) {
    std::u16string data(bytes / 2, u'\0');
    RegQueryValueExW(key, kPendingRenamesValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &bytes);
    out = SplitMultiString(data);
  }
  RegCloseKey(key);
  return out;
}

void SetPendingRenames(const std::vector<std::u16string>& strings) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManagerKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  if (strings.empty()) {
    RegDeleteValueW(key, kPendingRenamesValue);
  } else {
    std::u16string data = JoinMultiString(strings);
    RegSetValueExW(key, kPendingRenamesValue, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data.data()),
                   DWORD(data.size() * 2));
  }
  RegCloseKey(key);
}

// Leaves the machine's pending operations as the test found them.
class PendingRenamesGuard {
 public:
  PendingRenamesGuard() : saved_(PendingRenames()) {}
  ~PendingRenamesGuard() { SetPendingRenames(saved_); }

 private:
  std::vector<std::u16string> saved_;
};

// A copy of this test program with a version resource of `ms`.`ls`.
bool MakeVersionedFile(const std::u16string& path, DWORD ms, DWORD ls) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (!CopyFileW(self, W(path), FALSE)) return false;
  std::vector<uint8_t> blob(92, 0);
  auto put16 = [&](size_t at, uint16_t v) { memcpy(&blob[at], &v, 2); };
  put16(0, 92);  // wLength
  put16(2, 52);  // wValueLength: VS_FIXEDFILEINFO
  put16(4, 0);   // binary
  const wchar_t key[] = L"VS_VERSION_INFO";
  memcpy(&blob[6], key, sizeof key);
  VS_FIXEDFILEINFO info{};
  info.dwSignature = 0xFEEF04BD;
  info.dwStrucVersion = 0x00010000;
  info.dwFileVersionMS = info.dwProductVersionMS = ms;
  info.dwFileVersionLS = info.dwProductVersionLS = ls;
  info.dwFileOS = VOS_NT_WINDOWS32;
  info.dwFileType = VFT_DLL;
  memcpy(&blob[40], &info, sizeof info);
  HANDLE update = BeginUpdateResourceW(W(path), FALSE);
  if (!update) return false;
  bool ok = UpdateResourceW(update, RT_VERSION, MAKEINTRESOURCEW(1), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                            blob.data(), DWORD(blob.size()));
  return EndUpdateResourceW(update, !ok) && ok;
}

class PayloadInstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app = dir / u"App";
    CreateDirectoryW(W(app), nullptr);
    CreateDirectoryW(W(dir / u"Shared"), nullptr);
    context.InstallDir = app;
    context.SharedDir = dir / u"Shared";
    context.UninstallDir = app + u"\\Uninstall";
    context.FontsDir = dir / u"Fonts";
    context.SystemDir = dir / u"System";
    sink.install_dir = app;
  }

  // Lays the files out as the builder does and runs the phase.
  int Install(const std::vector<PayloadFile>& files, PayloadCoding coding = {}, size_t chunk = 1 << 20) {
    PayloadWriter writer(coding, chunk);
    for (const PayloadFile& f : files) EXPECT_TRUE(writer.Add(f.record, Span(f.content)));
    area = writer.Finish();
    sizes = writer.FileSizes();
    if (coding.compressed) context.OptionFlags |= kOptZlibPayload;
    return Run();
  }

  int Run() {
    sink.area = area;
    context.FileSizes = sizes;
    return InstallPayload(context, sink, lists);
  }

  TestFolder dir{u"payload"};
  std::u16string app;
  InstallContext context;
  FakeSink sink;
  PayloadLists lists;
  Bytes area;
  std::vector<uint32_t> sizes;
};

TEST_F(PayloadInstallTest, WritesBytesTimesAndAttributesFromCompressedEncipheredChunks) {
  std::string big(200000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char((i * 7919) >> 3);
  FileRecord readme = Record("readme.txt");
  readme.FileTime = {kBaseTime, kBaseTime + kSecond, kBaseTime + 2 * kSecond};
  FileRecord data = Record("sub\\deep\\data.bin");
  data.FileTime = {kBaseTime - 100 * kSecond, 0, kBaseTime - 50 * kSecond};
  FileRecord empty = Record("empty.txt");
  FileRecord hidden = Record("hidden.cfg", kKindFile, kFileDesktopShortcut | kFileStartMenuShortcut);
  hidden.Attributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY;
  hidden.Title = "Hidden \xc3\xa9";
  hidden.IconFile = "app.ico";
  hidden.Arguments = "/x";
  FileRecord renamed = Record("orig.txt", kKindFile, kFilePermanent);
  renamed.Destination = "%InstallDir%\\other\\";

  Blowfish cipher;
  const uint8_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  cipher.SetKey(key, 8);
  context.ArchiveFlags = kArcBlowfish;
  context.Cipher = &cipher;
  context.OptionFlags = kOptVerifyFiles | kOptVerboseLog;
  // Small chunks: records start and end anywhere between chunk boundaries.
  ASSERT_EQ(Install({{readme, "hello\r\n"}, {data, big}, {empty, ""}, {hidden, "secret"}, {renamed, "r"}},
                    {true, &cipher}, 4096),
            0)
      << sink.failures;
  EXPECT_EQ(sink.failures, "");

  EXPECT_EQ(ReadWhole(app + u"\\readme.txt"), "hello\r\n");
  EXPECT_EQ(ReadWhole(app + u"\\sub\\deep\\data.bin"), big);
  EXPECT_EQ(ReadWhole(app + u"\\empty.txt"), "");
  EXPECT_EQ(ReadWhole(app + u"\\hidden.cfg"), "secret");
  EXPECT_EQ(ReadWhole(app + u"\\other\\orig.txt"), "r");
  EXPECT_EQ(FilesBelow(app), (std::set<std::u16string>{u"readme.txt", u"sub\\deep\\data.bin", u"empty.txt",
                                                        u"hidden.cfg", u"other\\orig.txt"}));
  EXPECT_GT(sink.StatusCount(u"<29>"), 10);  // one per chunk read

  EXPECT_EQ(TimesOf(app + u"\\readme.txt").last_write, kBaseTime + 2 * kSecond);
  EXPECT_EQ(TimesOf(app + u"\\sub\\deep\\data.bin").last_write, kBaseTime - 50 * kSecond);

  // Only the masked bits of Attributes apply; 0xFFFFFFFF leaves the file as created.
  DWORD a = GetFileAttributesW(W(app + u"\\hidden.cfg"));
  EXPECT_EQ(a & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY),
            DWORD(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(GetFileAttributesW(W(app + u"\\readme.txt")) & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY), 0u);
  SetFileAttributesW(W(app + u"\\hidden.cfg"), FILE_ATTRIBUTE_NORMAL);

  // Removal records: files and their created folder; nothing for the permanent file.
  EXPECT_TRUE(sink.Recorded(app + u"\\readme.txt", kRecordFile));
  EXPECT_TRUE(sink.Recorded(app + u"\\sub\\deep\\data.bin", kRecordFile));
  EXPECT_TRUE(sink.Recorded(app + u"\\sub\\deep", kRecordFolder));
  EXPECT_FALSE(sink.Recorded(app + u"\\other\\orig.txt", kRecordFile));
  EXPECT_FALSE(sink.Recorded(app + u"\\other", kRecordFolder));
  EXPECT_FALSE(sink.Recorded(app, kRecordFolder));

  EXPECT_EQ(sink.progress.front(), 21);
  EXPECT_EQ(std::vector<int>(sink.progress.begin(), sink.progress.begin() + 4), (std::vector<int>{21, 26, 27, 28}));
  EXPECT_EQ(std::vector<int>(sink.progress.end() - 2, sink.progress.end()), (std::vector<int>{91, 92}));
  EXPECT_TRUE(std::is_sorted(sink.progress.begin(), sink.progress.end()));
  EXPECT_EQ(sink.StatusCount(app + u"\\sub\\deep\\data.bin"), 1);

  EXPECT_NE(sink.log.find("data.bin >>> " + Narrow(app) + "\\sub\\deep\\data.bin\r\n"), std::string::npos) << sink.log;
  EXPECT_EQ(lists.written.size(), 5u);
  EXPECT_TRUE(lists.written.count(FoldPathCase(app + u"\\sub\\deep\\data.bin")));
  EXPECT_EQ(sink.written_follow_ups.size(), 5u);

  ASSERT_EQ(lists.shortcuts.size(), 1u);
  const ShortcutRecord& s = lists.shortcuts[0];
  EXPECT_TRUE(s.OnDesktop && s.InStartMenu && !s.InStartup && !s.KeepOnUninstall);
  EXPECT_EQ(s.Target, app + u"\\hidden.cfg");
  EXPECT_EQ(s.Name, u"Hidden \u00e9");
  EXPECT_EQ(s.Icon, u"app.ico");
  EXPECT_EQ(s.Arguments, u"/x");
}

TEST_F(PayloadInstallTest, OverwriteRulesAgainstRealFilesAndVersionResources) {
  const std::u16string kept = app + u"\\kept.txt", shared = dir / u"Shared\\same.dll";
  const std::u16string newer = app + u"\\newer.dll", older = app + u"\\older.dll";
  ASSERT_TRUE(WriteWholeFile(kept, "old"));
  ASSERT_TRUE(WriteWholeFile(shared, "old"));
  SetLastWrite(shared, kBaseTime);
  ASSERT_TRUE(MakeVersionedFile(newer, 0x00010002, 0x00030004));
  ASSERT_TRUE(MakeVersionedFile(older, 0x00010002, 0x00030004));
  ASSERT_EQ(FileVersionText(newer), "1.2.3.4");
  EXPECT_EQ(FileVersionText(kept), "");
  SetLastWrite(newer, kBaseTime - 3600 * kSecond);
  SetLastWrite(older, kBaseTime - 3600 * kSecond);

  FileRecord keep = Record("kept.txt", kKindFile, kFileOverwriteIfMissing);
  FileRecord same = Record("same.dll", kKindShared);
  same.FileTime = {kBaseTime, 0, kBaseTime};
  FileRecord up = Record("newer.dll", kKindVersioned);
  up.Title = "1.2.3.5";
  up.FileTime = {kBaseTime, 0, kBaseTime};
  FileRecord down = Record("older.dll", kKindVersioned);
  down.Title = "1.2.3.3";
  down.FileTime = up.FileTime;
  ASSERT_EQ(Install({{keep, "new"}, {same, "new"}, {up, "new"}, {down, "new"}}), 0) << sink.failures;

  EXPECT_EQ(ReadWhole(kept), "old");
  EXPECT_EQ(ReadWhole(shared), "old");
  EXPECT_EQ(ReadWhole(newer), "new");
  EXPECT_NE(ReadWhole(older), "new");
  const std::string log = sink.log;
  EXPECT_NE(log.find(Narrow(kept) + " was not installed because it already exists.\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(Narrow(shared) + " is up to date.\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find(Narrow(newer) + " needs replacement because its version (1.2.3.5) is newer than 1.2.3.4 and its date (" +
                     LocalDateText(kBaseTime) + ") is newer than " + LocalDateText(kBaseTime - 3600 * kSecond) + "\r\n"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(Narrow(older) + " was not installed because its version (1.2.3.3) is not newer than 1.2.3.4\r\n"),
            std::string::npos)
      << log;
  // Skipped files the product owns stay recorded; the shared one is counted instead.
  EXPECT_TRUE(sink.Recorded(kept, kRecordFile));
  EXPECT_TRUE(sink.Recorded(older, kRecordFile));
  EXPECT_FALSE(sink.Recorded(shared, kRecordFile));
  EXPECT_EQ(lists.shared, std::vector<std::u16string>{shared});
  EXPECT_EQ(lists.written.size(), 1u);
}

TEST_F(PayloadInstallTest, ClearsProtectiveAttributesOnlyWhenAsked) {
  // Wine lets its root user truncate read-only and hidden files, so the file
  // is held open instead: the first attempt fails and the attributes are
  // cleared (or not) before the next one.
  const std::u16string ro = app + u"\\ro.txt";
  const DWORD protective = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  for (bool clear : {false, true}) {
    SCOPED_TRACE(clear);
    SetFileAttributesW(W(ro), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(WriteWholeFile(ro, "old"));
    SetFileAttributesW(W(ro), protective);
    UniqueHandle hold(CreateFileW(W(ro), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(hold.valid());
    sink = FakeSink{};
    sink.install_dir = app;
    lists = PayloadLists{};
    context.OptionFlags = clear ? uint32_t(kOptClearAttributes) : 0u;
    ASSERT_EQ(Install({{Record("ro.txt"), "new"}}), 0);
    hold.reset();
    EXPECT_EQ(GetFileAttributesW(W(ro)) & protective, clear ? 0u : protective);
    EXPECT_EQ(ReadWhole(ro), "old");
    // A new ordinary file is reported, not put aside for the restart.
    EXPECT_NE(sink.failures.find("\r\n<31> " + Narrow(ro) + "\r\n"), std::string::npos) << sink.failures;
    EXPECT_EQ(context.OptionFlags & kOptRestartRequired, 0u);
  }
  SetFileAttributesW(W(ro), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FilesBelow(app), std::set<std::u16string>{u"ro.txt"});
}

TEST_F(PayloadInstallTest, ReportsAFolderThatCannotBeCreated) {
  ASSERT_TRUE(WriteWholeFile(app + u"\\blocker", "file"));
  ASSERT_EQ(Install({{Record("blocker\\inner.txt"), "x"}, {Record("fine.txt"), "y"}}), 0);
  EXPECT_EQ(sink.failures, "<25> " + Narrow(app) + "\\blocker\r\nCannot create directory because there is a file with the same name.\r\n\r\nNot installed: " +
                               Narrow(app) + "\\blocker\\inner.txt\r\n\r\n");
  EXPECT_EQ(ReadWhole(app + u"\\fine.txt"), "y");
}

TEST_F(PayloadInstallTest, AFailedWriteLeavesTheEarlierFileAndNoPartialCopy) {
  // The content's last page cannot be read: the write fails after the first
  // megabyte is on disk, as when the disk fills up or the run is killed.
  const size_t size = kFileWritePiece + 4096;
  uint8_t* data = static_cast<uint8_t*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  ASSERT_NE(data, nullptr);
  memset(data, 'x', size);
  DWORD old_protection = 0;
  ASSERT_TRUE(VirtualProtect(data + kFileWritePiece, 4096, PAGE_NOACCESS, &old_protection));

  const std::u16string earlier = app + u"\\earlier.bin", fresh = app + u"\\fresh.bin";
  ASSERT_TRUE(WriteWholeFile(earlier, "earlier content"));
  StagingFolders staging;
  for (StagingFolders* copies_in : {static_cast<StagingFolders*>(nullptr), &staging})
  for (const std::u16string& target : {earlier, fresh}) {
    SCOPED_TRACE(Narrow(target) + (copies_in ? " (staging folder)" : " (beside)"));
    sink = FakeSink{};
    FileWrite w;
    w.destination = target;
    w.data = data;
    w.size = int64_t(size);
    w.existed = target == earlier;  // may wait for the restart: that copy fails as well
    w.staging = copies_in;
    FileWriteResult result;
    EXPECT_EQ(WriteOneFile(w, context, sink, result), 0);
    EXPECT_FALSE(result.written || result.registered);
    EXPECT_NE(sink.failures.find("<31> " + Narrow(target) + "\r\n"), std::string::npos) << sink.failures;
    EXPECT_EQ(FilesBelow(app), std::set<std::u16string>{u"earlier.bin"});
  }
  staging.RemoveAll();
  EXPECT_EQ(GetFileAttributesW(W(app + u"\\" + kStagingFolderName)), INVALID_FILE_ATTRIBUTES);
  // The size first: a truncated copy would be a megabyte of "x".
  const std::string kept = ReadWhole(earlier);
  EXPECT_EQ(kept.size(), 15u);
  EXPECT_EQ(kept.substr(0, 40), "earlier content");
  VirtualFree(data, 0, MEM_RELEASE);

  // A sound write replaces the earlier file whole and leaves no copy beside it.
  FileRecord record = Record("earlier.bin");
  record.FileTime = {kBaseTime, 0, kBaseTime + kSecond};
  record.Attributes = FILE_ATTRIBUTE_READONLY;
  context.OptionFlags = kOptVerifyFiles;
  ASSERT_EQ(Install({{record, "new content"}}), 0) << sink.failures;
  EXPECT_EQ(ReadWhole(earlier), "new content");
  EXPECT_EQ(TimesOf(earlier).last_write, kBaseTime + kSecond);
  EXPECT_EQ(GetFileAttributesW(W(earlier)) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesW(W(earlier), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(FilesBelow(app), std::set<std::u16string>{u"earlier.bin"});
}

TEST_F(PayloadInstallTest, StagingFoldersGoAtTheEndWithWhatAKilledRunLeft) {
  // A killed run leaves its half-written replacement in the folder's staging
  // folder; the next run that writes into that folder clears it, whether it
  // replaces a file there or only adds one.
  const std::u16string sub = app + u"\\sub", other = app + u"\\other";
  for (const std::u16string& folder : {sub, other}) {
    ASSERT_TRUE(CreateDirectoryW(W(folder), nullptr));
    ASSERT_TRUE(CreateDirectoryW(W(folder + u"\\" + kStagingFolderName), nullptr));
    ASSERT_TRUE(WriteWholeFile(folder + u"\\" + kStagingFolderName + u"\\OQT1234.tmp", "half"));
  }
  ASSERT_TRUE(WriteWholeFile(sub + u"\\keep.txt", "old"));
  ASSERT_EQ(Install({{Record("sub\\keep.txt"), "new"}, {Record("other\\fresh.txt"), "fresh"}}), 0) << sink.failures;
  EXPECT_EQ(ReadWhole(sub + u"\\keep.txt"), "new");
  EXPECT_EQ(FilesBelow(app), (std::set<std::u16string>{u"sub\\keep.txt", u"other\\fresh.txt"}));
  for (const std::u16string& folder : {sub, other})
    EXPECT_EQ(GetFileAttributesW(W(folder + u"\\" + kStagingFolderName)), INVALID_FILE_ATTRIBUTES) << Narrow(folder);
}

TEST_F(PayloadInstallTest, ANameThatLeavesItsFolderIsADamagedRecord) {
  struct Case { const char* name; const char* destination; };
  const Case kCases[] = {
      {"..\\..\\escaped.txt", ""},
      {"sub\\..\\..\\escaped.txt", ""},
      {"x/../../escaped.txt", ""},
      {"C:\\escaped.txt", ""},
      {"C:escaped.txt", ""},
      {"\\escaped.txt", ""},
      {"\\\\server\\share\\escaped.txt", ""},
      {"first.txt:stream", ""},
      {"a.txt", ".."},  // a bare Destination renames the file
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name + std::string(" / ") + c.destination);
    sink = FakeSink{};
    sink.install_dir = app;
    lists = PayloadLists{};
    FileRecord bad = Record(c.name);
    bad.Destination = c.destination;
    EXPECT_EQ(Install({{Record("first.txt"), "1"}, {bad, "2"}}), kErrEmptyFileName);
    EXPECT_EQ(FilesBelow(dir.path()), std::set<std::u16string>{u"App\\first.txt"});
    DeleteFileW(W(app + u"\\first.txt"));
  }
  EXPECT_FALSE(Exists(u"C:\\escaped.txt"));
  EXPECT_FALSE(Exists(dir / u"escaped.txt"));
}

// --- corruption ----------------------------------------------------------

Bytes RecordBytes(const FileRecord& r, const std::string& content) {
  Bytes body = EncodeFileRecord(r, Span(content));
  Bytes out(4 + body.size());
  StoreU32(out.data(), uint32_t(body.size()));
  std::copy(body.begin(), body.end(), out.begin() + 4);
  return out;
}

Bytes Chunk(const Bytes& data) {
  ByteWriter w;
  w.U32(uint32_t(data.size()));
  w.U32(Sum32(data.data(), static_cast<long long>(data.size())));
  w.Raw(data);
  return w.Take();
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST_F(PayloadInstallTest, EveryCorruptionCodeStopsBeforeTheDamagedFile) {
  const FileRecord first = Record("first.txt"), second = Record("second.txt");
  const Bytes good1 = RecordBytes(first, "one"), good2 = RecordBytes(second, "two");
  const uint32_t size1 = 3, size2 = 3;
  Bytes bad_sum = good2;
  bad_sum[bad_sum.size() - 5] ^= 0x20;  // the last content byte
  Bytes bad_chunk = Chunk(good2);
  bad_chunk.back() ^= 1;
  Bytes overrun = Chunk(good2);
  overrun.pop_back();
  const Bytes not_zlib = Chunk(Bytes{1, 2, 3, 4, 5, 6, 7, 8});

  struct Case {
    const char* what;
    Bytes area;
    std::vector<uint32_t> sizes;
    int code;
    bool first_written;
    bool zlib = false;
    bool wrong_checksum = false;
  };
  std::vector<Case> cases = {
      {"payload checksum", Concat({Chunk(good1), Chunk(good2)}), {size1, size2}, 55, false, false, true},
      {"inflate", not_zlib, {size1}, 60, false, true},
      {"chunk size", Chunk(good1), {size1, size2}, 61, true},
      {"chunk checksum", Concat({Chunk(good1), bad_chunk}), {size1, size2}, 62, true},
      {"chunk overrun", Concat({Chunk(good1), overrun}), {size1, size2}, 63, true},
      {"empty name", Concat({Chunk(good1), Chunk(RecordBytes(Record(""), "two"))}), {size1, size2}, 70, true},
      {"negative size", Concat({Chunk(good1), Chunk(good2)}), {size1, 0x80000000u}, 71, true},
      {"size limit", Concat({Chunk(good1), Chunk(good2)}), {size1, 0x40000001u}, 72, true},
      {"payload left", Concat({Chunk(good1), Bytes{0, 0, 0, 0}}), {size1}, 80, true},
      {"queue left", Chunk(Concat({good1, good2})), {size1}, 83, true},
      {"file checksum", Concat({Chunk(good1), Chunk(bad_sum)}), {size1, size2}, 100, true},
      {"kind without folder", Concat({Chunk(good1), Chunk(RecordBytes(Record("k2.txt", 2), "two"))}), {size1, size2}, 110, true},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    sink = FakeSink{};
    sink.install_dir = app;
    lists = PayloadLists{};
    context.OptionFlags = c.zlib ? uint32_t(kOptZlibPayload) : 0u;
    context.CheckPayloadChecksum = true;
    context.PayloadChecksum = Sum32(c.area.data(), static_cast<long long>(c.area.size())) + (c.wrong_checksum ? 1 : 0);
    area = c.area;
    sizes = c.sizes;
    EXPECT_EQ(Run(), c.code);
    std::set<std::u16string> expected;
    if (c.first_written) expected.insert(u"first.txt");
    EXPECT_EQ(FilesBelow(app), expected);
    EXPECT_EQ(sink.progress.back() < 91, true);
    DeleteFileW(W(app + u"\\first.txt"));
  }

  FileWrite negative;
  negative.destination = app + u"\\negative.bin";
  negative.size = -1;
  FileWriteResult result;
  EXPECT_EQ(WriteOneFile(negative, context, sink, result), kErrNegativeWriteSize);
  EXPECT_FALSE(result.written);
  EXPECT_EQ(FilesBelow(app), std::set<std::u16string>{});
}

// --- files in use ---------------------------------------------------------

TEST_F(PayloadInstallTest, LockedFileWaitsForTheRestartInAnOqtTemporary) {
  PendingRenamesGuard guard;
  const std::u16string locked = app + u"\\locked.dll";
  ASSERT_TRUE(WriteWholeFile(locked, "old"));
  // Held without sharing: every write and delete fails with a sharing violation.
  UniqueHandle hold(CreateFileW(W(locked), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(hold.valid());

  // A new ordinary file may not wait for the restart unless the settings allow it.
  ASSERT_EQ(Install({{Record("locked.dll"), "new"}}), 0);
  EXPECT_EQ(FilesBelow(app), std::set<std::u16string>{u"locked.dll"});
  EXPECT_NE(sink.failures.find("\r\n<31> " + Narrow(locked) + "\r\n"), std::string::npos) << sink.failures;
  EXPECT_EQ(context.OptionFlags & kOptRestartRequired, 0u);

  sink = FakeSink{};
  sink.install_dir = app;
  lists = PayloadLists{};
  context.OptionFlags = kOptReplaceFilesInUse;
  FileRecord record = Record("locked.dll");
  record.FileTime = {kBaseTime, 0, kBaseTime + kSecond};
  ASSERT_EQ(Install({{record, "new"}}), 0);
  hold.reset();

  EXPECT_EQ(sink.failures, "");
  EXPECT_NE(context.OptionFlags & kOptRestartRequired, 0u);
  EXPECT_EQ(ReadWhole(locked), "old");
  std::set<std::u16string> files = FilesBelow(app);
  ASSERT_EQ(files.size(), 2u);
  std::u16string temp;
  for (const auto& f : files)
    if (f != u"locked.dll") temp = app + u"\\" + f;
  EXPECT_EQ(LastPathComponent(temp).substr(0, 3), u"OQT");
  EXPECT_EQ(ReadWhole(temp), "new");
  EXPECT_EQ(TimesOf(temp).last_write, kBaseTime + kSecond);
  // The pending clean-up that ends the phase opens with an empty line.
  EXPECT_EQ(sink.log, "\"" + Narrow(locked) + "\" was successfully registered for replacement.\r\nTemporary file is \"" +
                          Narrow(temp) + "\"\r\nReboot will be required.\r\n\r\n\r\n");
  EXPECT_TRUE(lists.written.empty());
  EXPECT_TRUE(sink.written_follow_ups.empty());

  // The pair is in the system's list: the temporary onto the locked file.
  std::vector<std::u16string> pending = PendingRenames();
  bool found = false;
  for (size_t i = 0; i + 1 < pending.size(); i += 2)
    found |= EqualsNoCase(StripObjectPrefix(pending[i]), temp) && EqualsNoCase(StripObjectPrefix(pending[i + 1]), locked);
  EXPECT_TRUE(found);
  DeleteFileW(W(temp));
}

TEST_F(PayloadInstallTest, CleanPendingOperationsDropsWhatWouldUndoAFreshFile) {
  PendingRenamesGuard guard;
  const std::u16string fresh = app + u"\\Fresh.dll", waiting = app + u"\\OQT1.tmp";
  const std::u16string deleted = app + u"\\Gone.txt", other = app + u"\\other.dll";
  ASSERT_TRUE(WriteWholeFile(waiting, "old copy"));
  SetPendingRenames({u"\\??\\" + waiting, u"!\\??\\" + fresh, u"\\??\\" + other, u"", u"\\??\\" + deleted, u"",
                     u"\\??\\" + waiting + u"2", u"!\\??\\" + other});
  std::string log;
  CleanPendingOperations({FoldPathCase(fresh), FoldPathCase(deleted)}, [&](std::string_view s) { log += s; });

  EXPECT_EQ(PendingRenames(), (std::vector<std::u16string>{u"\\??\\" + other, u"", u"\\??\\" + waiting + u"2",
                                                           u"!\\??\\" + other}));
  EXPECT_FALSE(Exists(waiting));
  EXPECT_EQ(log, "\r\nFile \"" + Narrow(FoldPathCase(fresh)) + "\" was removed from the list of pending moves.\r\n" +
                     "File \"" + Narrow(FoldPathCase(deleted)) + "\" was removed from the list of pending deletions.\r\n");
}

TEST_F(PayloadInstallTest, WininitGetsTheNewestRenameFirst) {
  const std::u16string windows = dir / u"Win";
  CreateDirectoryW(W(windows), nullptr);
  ASSERT_TRUE(WriteWholeFile(windows + u"\\wininit.ini", "[boot]\r\nx=1"));
  ASSERT_TRUE(AddWininitRename(u"C:\\T\\OQT1.TMP", u"C:\\T\\A.DLL", windows));
  ASSERT_TRUE(AddWininitRename(u"C:\\T\\OQT2.TMP", u"C:\\T\\B.DLL", windows));
  EXPECT_EQ(ReadWhole(windows + u"\\wininit.ini"),
            "[boot]\r\nx=1\r\n[rename]\r\nC:\\T\\B.DLL=C:\\T\\OQT2.TMP\r\nC:\\T\\A.DLL=C:\\T\\OQT1.TMP");
}

}  // namespace
}  // namespace ks
