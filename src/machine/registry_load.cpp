// Loading .reg files as regedit imports them.
#include "machine/registry_load.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <string_view>

#include "files/host_path.h"
#include "regfile/regfile.h"

namespace hivewarden::machine {

std::size_t RegistryLoad::SkippedLines() const {
    std::size_t count = 0;
    for (const RegistryFileLoad& file : Files) count += file.SkippedLines;
    return count;
}

std::size_t RegistryLoad::ChangedLines() const {
    std::size_t count = 0;
    for (const RegistryFileLoad& file : Files) count += file.ChangedLines;
    return count;
}

std::unique_ptr<CodePage> OpenSourceCodePage(const MachineSource& source, std::string& error) {
    std::string reason;
    std::unique_ptr<CodePage> page = OpenCodePage(source.AnsiCodePage, reason);
    if (!page) error = "--codepage " + std::to_string(source.AnsiCodePage) + ": " + reason;
    return page;
}

namespace {

// Bytes enough to tell a hive or a Wine registry file from a .reg file.
constexpr std::size_t kHeadBytes = 32;

std::string Head(std::istream& in) {
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head;
}

// Why `file`, starting with `head`, is not a .reg file although it is a registry of another
// form, naming the option that reads it; empty text for anything else (the .reg reader then
// says what it finds).
std::string OtherRegistryForm(const std::string& file, std::string_view head) {
    if (head.starts_with("regf")) {
        return file + " is a registry hive, not a .reg file: mount it with --hive ROOT\\PATH=" +
               file + " (as in HKLM\\SOFTWARE=" + file + "), or give the whole installation "
               "with --windows-root";
    }
    if (head.starts_with("WINE REGISTRY Version")) {
        return file + " is a Wine registry file, not a .reg file: give the prefix that holds it "
                      "with --wine-prefix";
    }
    return {};
}

std::string OtherRegistryForm(const std::string& file) {
    std::ifstream in(registry::ToHostPath(file), std::ios::binary);
    return OtherRegistryForm(file, Head(in));
}

// The lenient load of standard input: its head is checked as a file's is, then the whole of it
// is applied as it streams by.
registry::RegFileStatus LoadStandardInput(std::istream* in, const CodePage& page,
                                          registry::RegistryStore& store,
                                          const registry::RegNoteSink& onNote) {
    if (in == nullptr) {
        return registry::RegFileStatus::Failure(
            "--registry -: there is no standard input to read here");
    }
    const std::string head = Head(*in);
    if (std::string other = OtherRegistryForm(std::string(kStandardInputName), head);
        !other.empty()) {
        return registry::RegFileStatus::Failure(std::move(other));
    }
    return registry::LoadRegStream(head, *in, kStandardInputName, store, page, onNote);
}

}  // namespace

bool LoadRegistryFiles(const std::vector<std::string>& files, const CodePage& page,
                       registry::RegistryStore& store, RegistryLoad& load,
                       const WarningSink& warn, std::string& error, std::istream* standardInput) {
    if (std::count(files.begin(), files.end(), kStandardInputFile) > 1) {
        error = "--registry - is given more than once: standard input can be read only once";
        return false;
    }
    for (const std::string& file : files) {
        const bool fromInput = file == kStandardInputFile;
        if (!fromInput) {
            if (std::string other = OtherRegistryForm(file); !other.empty()) {
                error = std::move(other);
                return false;
            }
        }
        RegistryFileLoad counts;
        counts.File = file;
        const auto onNote = [&counts, &warn](const registry::RegFileNote& note) {
            ++(note.What == registry::RegFileNote::Kind::Skipped ? counts.SkippedLines
                                                                  : counts.ChangedLines);
            if (warn) warn(note.Message);
        };
        const registry::RegFileStatus status =
            fromInput ? LoadStandardInput(standardInput, page, store, onNote)
                      : registry::LoadRegFile(file, store, page, registry::RegImportMode::Lenient,
                                              onNote);
        load.Files.push_back(counts);
        if (!status) {
            error = status.Message;
            return false;
        }
    }
    return true;
}

std::string RegistryLoadSummary(const RegistryLoad& load) {
    const std::size_t skipped = load.SkippedLines();
    const std::size_t changed = load.ChangedLines();
    if (skipped == 0 && changed == 0) return {};
    auto lines = [](std::size_t count) {
        return std::to_string(count) + (count == 1 ? " line" : " lines");
    };
    std::string text = "--registry files: " + lines(skipped) + " skipped";
    if (changed > 0) text += ", " + lines(changed) + " read as regedit reads them";
    return text + " (see the warnings)";
}

}  // namespace hivewarden::machine
