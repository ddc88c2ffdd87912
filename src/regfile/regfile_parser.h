// The .reg reader's second stage: decoded lines (UTF-8, numbered from 1) become registry
// operations, strictly or as regedit imports them. Holds the open key and at most one hex
// value that waits for its continuation lines; no I/O, no registry access.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "text/code_page.h"
#include "regfile/regfile.h"

namespace hivewarden::registry {

class RegLineParser {
  public:
    RegLineParser(std::string_view sourceName, RegImportMode mode, const CodePage& codePage,
                  RegOperationSink onOperation, RegNoteSink onNote);

    // How hex(1)/hex(2)/hex(7) bytes are read; set before the first line.
    void SetEncoding(RegFileEncoding encoding) { encoding_ = encoding; }
    // Line 1. A bad header fails in both modes.
    bool Header(std::string_view line);
    // Lines 2, 3, ... False (strict mode only) when the line is bad.
    bool Line(std::string_view line);
    // The UTF-16 text ended with half a code unit, on line `line`.
    bool DanglingByte(std::size_t line);
    // The end of the file: a hex value still waiting for continuation lines ends here.
    bool Finish();

    RegFileHeader Header() const { return header_; }
    const std::string& Error() const { return error_; }

  private:
    struct KeyRef {
        RootKey Root = 0;
        std::string Path;
    };
    // Why no key is open for value lines.
    enum class KeyState { BeforeFirst, Open, Deleted, Skipped };
    // What a lenient reader keeps of the open key when it skips a key line.
    enum class Recovery { KeepKey, CloseKey };

    bool ParseLine(std::string_view line);
    bool ParseKeyLine(std::string_view line, std::size_t pos);
    std::string ResolveKey(std::string_view name, KeyRef& key) const;
    bool ParseValueLine(std::string_view line, std::size_t pos);
    bool ParseData(std::string name, std::string_view line, std::size_t pos);
    bool ParseStringData(std::string name, std::string_view line, std::size_t pos);
    bool StartHex(std::string name, std::uint32_t type, std::string_view list);
    bool ContinueHex(std::string_view line);
    bool ParseHexPart(std::string_view list);
    bool FinishHex();
    bool DropHexValue(const std::string& what);
    bool AddValue(RegOperationKind kind, std::string name, RawValue value);
    bool Add(RegOperation op);
    std::string* EscapesAllowed();

    bool Skip(std::string what, Recovery recovery = Recovery::KeepKey);
    void Note(RegFileNote::Kind kind, std::size_t line, const std::string& what);
    bool Fail(std::string what);

    std::string source_;
    RegImportMode mode_;
    const CodePage& codePage_;
    RegOperationSink onOperation_;
    RegNoteSink onNote_;
    RegFileEncoding encoding_ = RegFileEncoding::Ansi;
    RegFileHeader header_ = RegFileHeader::Regedit4;
    std::size_t lineNumber_ = 0;
    std::optional<KeyRef> key_;  // the key that value lines go to
    KeyState keyState_ = KeyState::BeforeFirst;
    std::optional<RegOperation> pending_;  // a hex value waiting for continuation lines
    std::string escape_;                   // lenient: the unknown escape of the current token
    std::string error_;
};

}  // namespace hivewarden::registry
