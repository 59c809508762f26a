#include "device/DownloadReader.h"
#include "core/StringIds.h"

#include <array>

namespace vantora {

namespace {

constexpr int kGarbageLimit = 100;

} // namespace

DownloadReader::DownloadReader(LinkPort& port, LinkSink& sink, std::atomic<int>& running)
    : port_(port), sink_(sink), running_(running), current_(wire::makeCommand(wire::kHello)) {}

ReaderOutcome DownloadReader::run() {
    // The open operation has sent the hello once already.
    while (running_.load() != 0) {
        const Step step = matchReply();
        if (step == Step::Error)
            return ReaderOutcome::Error;
        if (step == Step::Finished)
            break;
    }
    return ReaderOutcome::Normal;
}

DownloadReader::Step DownloadReader::matchReply() {
    uint8_t b = 0;
    if (!port_.readExact(&b, 1))
        return resend();
    if (b != wire::kSync0)
        return countGarbage();
    if (!port_.readExact(&b, 1))
        return resend();
    if (b != wire::kSync1)
        return countGarbage();
    if (!port_.readExact(&b, 1))
        return resend();
    if (b != current_.code())
        return countGarbage() == Step::Error ? Step::Error : resend();
    garbage_ = 0;
    switch (b) {
    case wire::kHello:
        return onHello();
    case wire::kInformation:
        return onInformation();
    case wire::kRecordCount:
        return onCount();
    case wire::kRecordTable:
        return onTable();
    case wire::kRecordHeader:
        return onHeader();
    default:
        return onData();
    }
}

DownloadReader::Step DownloadReader::countGarbage() {
    return ++garbage_ >= kGarbageLimit ? Step::Error : Step::Continue;
}

DownloadReader::Step DownloadReader::resend() {
    return port_.sendCommand(current_) ? Step::Continue : Step::Error;
}

void DownloadReader::sendNew(const wire::CommandFrame& frame) {
    current_ = frame;
    port_.send(current_);
}

DownloadReader::Step DownloadReader::onHello() {
    uint8_t b = 0xFF;
    if (!port_.readExact(&b, 1) || b != 0x00)
        return resend();
    sendNew(wire::makeCommand(wire::kInformation));
    sink_.linkStatus(1);
    return Step::Continue;
}

DownloadReader::Step DownloadReader::onInformation() {
    std::array<uint8_t, wire::kInfoBodyBytes> body{};
    for (uint8_t& b : body) {
        if (!port_.readExact(&b, 1))
            return resend();
    }
    if (!wire::infoValid(body.data()))
        return resend();
    sendNew(wire::makeCommand(wire::kRecordCount));
    sink_.linkStatus(2);
    return Step::Continue;
}

DownloadReader::Step DownloadReader::onCount() {
    std::array<uint8_t, wire::kCountBodyBytes> body{};
    if (!port_.readExact(body.data(), int(body.size())))
        return resend();
    const auto n = wire::parseCount(body.data());
    if (!n)
        return resend();
    if (*n == 0)
        return finish(ids::kRecorderEmpty);
    count_ = *n;
    sendNew(wire::makeCommand(wire::kRecordTable));
    sink_.linkStatus(3);
    return Step::Continue;
}

DownloadReader::Step DownloadReader::onTable() {
    std::vector<uint8_t> body(size_t(wire::tableBodyBytes(count_)));
    if (!port_.readExact(body.data(), int(body.size())))
        return resend();
    auto table = wire::parseTable(body.data(), count_);
    if (!table)
        return resend();
    table_ = std::move(*table);
    headerCursor_ = 0;
    sendNew(wire::makeCommand(wire::kRecordHeader, table_[0].id));
    sink_.linkStatus(4);
    return Step::Continue;
}

DownloadReader::Step DownloadReader::onHeader() {
    std::array<uint8_t, wire::kHeaderBodyBytes> body{};
    const bool read = port_.readExact(body.data(), int(body.size()));
    const auto header = read ? wire::parseHeader(body.data(), count_, headerCursor_) : std::nullopt;
    if (!header) {
        const Step step = resend();
        if (step == Step::Error)
            headerCursor_ = 0;
        return step;
    }
    sink_.recordHeader(headerCursor_, *header);
    ++headerCursor_;
    port_.purge();
    if (headerCursor_ < count_) {
        sendNew(wire::makeCommand(wire::kRecordHeader, table_[size_t(headerCursor_)].id));
    } else {
        headerCursor_ = 0;
        dataCursor_ = 0;
        sendNew(wire::makeCommand(wire::kRecordData, table_[0].id));
    }
    return Step::Continue;
}

int DownloadReader::chunkOf(int cursor) const {
    int chunk = 0;
    for (int i = 0; i < cursor; ++i)
        chunk += table_[size_t(i)].recordNumber == table_[size_t(cursor)].recordNumber ? 1 : 0;
    return chunk;
}

DownloadReader::Step DownloadReader::onData() {
    const int recordNumber = table_[size_t(dataCursor_)].recordNumber;
    BlockTag tag{dataCursor_, recordNumber, 0};
    const int firstBlock = chunkOf(dataCursor_) * wire::kBlocksPerChunk;
    uint8_t sum = wire::kRecordData;
    SampleBlock block;
    for (int b = 0; b < wire::kBlocksPerChunk; ++b) {
        if (running_.load() == 0)
            return Step::Finished;
        if (!port_.readExact(block.bytes.data(), wire::kBlockBytes)) {
            const Step step = resend();
            if (step == Step::Error)
                dataCursor_ = 0;
            return step;
        }
        tag.blockNumber = firstBlock + b;
        sink_.dataBlock(tag, block);
        sum = wire::sum8(block.bytes.data(), wire::kBlockBytes, sum);
    }
    std::array<uint8_t, wire::kDataTrailerBytes> trailer{};
    if (!port_.readExact(trailer.data(), int(trailer.size())) ||
        !wire::dataTrailerValid(sum, trailer.data()))
        return resend();
    sink_.recordEnd(dataCursor_, recordNumber);
    ++dataCursor_;
    port_.purge();
    if (dataCursor_ < count_) {
        sendNew(wire::makeCommand(wire::kRecordData, table_[size_t(dataCursor_)].id));
        return Step::Continue;
    }
    dataCursor_ = 0;
    return finish(ids::kTransferComplete);
}

DownloadReader::Step DownloadReader::finish(int messageId) {
    sink_.showMessage(Message{messageId, {}});
    running_.store(0);
    return Step::Finished;
}

} // namespace vantora
