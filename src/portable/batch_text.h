// The generated batch file as text and bytes: the folder-variable preamble,
// PAUSE removal, extra commands, the code page, and the captured output's trim.
#pragma once
#include <functional>
#include <string>
#include <string_view>

namespace ks {

inline constexpr char16_t kBatchFileName[] = u"SETUPBAT.BAT";
inline constexpr char16_t kBatchCaptureName[] = u"cs_batch.log";

// One preamble line: the environment variable's name and the folder
// variable (a VariableId) that gives its value.
struct BatchVariable {
  const char16_t* name;
  int id;
  bool drive_colon;  // the line carries the drive letter with its colon
};
inline constexpr int kBatchVariableCount = 42;
extern const BatchVariable kBatchVariables[kBatchVariableCount];

// The current value of a folder variable, by VariableId.
using BatchValue = std::function<std::u16string(int id)>;

// `SET "Name=value"` + CR LF. Written so that cmd gives the variable exactly
// `value`: "%" doubled (percent expansion runs before anything else), and
// after a double quote in the value, where cmd leaves quoted mode, the
// characters that would start a command, a redirection or a block are
// escaped with "^". A line break in a value would end the line and start a
// command of its own, so CR and LF become spaces.
std::u16string BatchSetLine(std::u16string_view name, std::u16string_view value);

// "@echo off" and one SET line per variable, in kBatchVariables order.
std::u16string BatchPreamble(const BatchValue& value);

// Drops every line that, trimmed of spaces and tabs on both sides, with one
// leading "@" removed and trimmed again, is "PAUSE" in any letter case. A
// line ends at CR LF, LF or a lone CR, as it will in the written file: a
// PAUSE left in a hidden batch would wait for a key nobody can press.
std::string WithoutPauseLines(std::string_view text);

// The script's text, then the extra commands; a CR LF goes between when the
// text is not empty and does not already end with a line break.
std::string WithExtraCommands(std::string_view text, std::string_view extra);

enum class BatchCodePage { k1252, kUtf8 };
// Code page 1252 when the system cannot take UTF-8 batches (older than XP)
// or every character is ASCII; otherwise UTF-8.
BatchCodePage ChooseBatchCodePage(std::u16string_view text, bool utf8_system);

// The file's bytes: the "@chcp" line of the chosen code page first, the text
// in that code page ("?" for what it cannot hold, no byte-order mark), every
// line end CR LF and a final CR LF.
std::string BatchFileBytes(std::u16string_view text, bool utf8_system);

// The whole file from the batch text (code page 1252): preamble, the text
// without PAUSE lines when `drop_pause`, then BatchFileBytes.
std::string ComposeBatchFile(std::string_view text, bool drop_pause, const BatchValue& value, bool utf8_system);

// What the log gets of the captured output: the bytes without trailing white
// space, then two CR LF; nothing when nothing remains.
std::string CapturedOutputForLog(std::string_view captured);

// The interpreter's command line, "\"interpreter\" /c command". The batch
// and capture paths go in as they are when cmd reads them as plain words
// (the short form normally is); a long form with spaces or characters that
// mean something to cmd is quoted, and then the whole command is enclosed in
// one more pair of quotes, which "/c" removes.
std::u16string BatchCommandLine(std::u16string_view interpreter, std::u16string_view batch_path,
                                std::u16string_view capture_path);

}  // namespace ks
