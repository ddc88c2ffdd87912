// The .reg reader put together: bytes to lines (regfile_decode.cpp), lines to operations
// (regfile_parser.cpp), and the whole-text strict parse built on it. No registry access and
// no I/O here (regfile_apply.cpp does both).
#include "regfile/regfile.h"

#include <utility>

#include "regfile/regfile_decode.h"
#include "regfile/regfile_parser.h"

namespace hivewarden::registry {

class RegFileReader::Impl {
  public:
    Impl(std::string_view sourceName, RegImportMode mode, const CodePage& codePage,
         RegOperationSink onOperation, RegNoteSink onNote)
        : source_(sourceName),
          decoder_(codePage),
          parser_(sourceName, mode, codePage, std::move(onOperation), std::move(onNote)),
          sink_([this](std::string_view line) { return OnLine(line); }) {}

    bool Feed(std::string_view bytes) {
        if (!status_) return false;
        return decoder_.Feed(bytes, sink_) || Failed();
    }

    bool Finish() {
        if (!status_) return false;
        if (!decoder_.Finish(sink_)) return Failed();
        if (!sawHeader_ && !parser_.Header("")) return Failed();  // an empty file
        if (decoder_.Dangling() && !parser_.DanglingByte(decoder_.DanglingLine())) {
            return Failed();
        }
        return parser_.Finish() || Failed();
    }

    const RegFileStatus& Status() const { return status_; }
    RegFileHeader Header() const { return parser_.Header(); }
    RegFileEncoding Encoding() const { return decoder_.Encoding(); }

  private:
    bool OnLine(std::string_view line) {
        if (sawHeader_) return parser_.Line(line);
        sawHeader_ = true;
        parser_.SetEncoding(decoder_.Encoding());
        return parser_.Header(line);
    }

    bool Failed() {
        status_ = RegFileStatus::Failure(
            decoder_.Error().empty()
                ? parser_.Error()
                : source_ + ":" + std::to_string(decoder_.ErrorLine()) + ": " + decoder_.Error());
        return false;
    }

    std::string source_;
    RegTextDecoder decoder_;
    RegLineParser parser_;
    RegTextDecoder::LineSink sink_;
    bool sawHeader_ = false;
    RegFileStatus status_;
};

RegFileReader::RegFileReader(std::string_view sourceName, RegImportMode mode,
                             const CodePage& codePage, RegOperationSink onOperation,
                             RegNoteSink onNote)
    : impl_(std::make_unique<Impl>(sourceName, mode, codePage, std::move(onOperation),
                                   std::move(onNote))) {}

RegFileReader::~RegFileReader() = default;

bool RegFileReader::Feed(std::string_view bytes) { return impl_->Feed(bytes); }
bool RegFileReader::Finish() { return impl_->Finish(); }
const RegFileStatus& RegFileReader::Status() const { return impl_->Status(); }
RegFileHeader RegFileReader::Header() const { return impl_->Header(); }
RegFileEncoding RegFileReader::Encoding() const { return impl_->Encoding(); }

RegFileParse ParseRegFile(std::string_view bytes, std::string_view sourceName,
                          const CodePage& codePage) {
    RegFileParse result;
    result.File.Source = std::string(sourceName);
    std::vector<RegOperation>& operations = result.File.Operations;
    RegFileReader reader(sourceName, RegImportMode::Strict, codePage,
                         [&operations](RegOperation&& op) { operations.push_back(std::move(op)); });
    if (reader.Feed(bytes) && reader.Finish()) {
        result.File.Header = reader.Header();
        result.File.Encoding = reader.Encoding();
    } else {
        result.Status = reader.Status();
        operations.clear();
    }
    return result;
}

}  // namespace hivewarden::registry
