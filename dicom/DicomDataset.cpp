#include "dicom/DicomDataset.h"

#include "core/StringIds.h"

#include <dcmtk/dcmdata/dcdeftag.h>
#include <dcmtk/dcmdata/dcistrmb.h>
#include <dcmtk/dcmdata/dcostrmb.h>
#include <dcmtk/dcmdata/dcsequen.h>
#include <dcmtk/oflog/oflog.h>

#include <vector>

namespace vantora::dicom {

QByteArray part10Bytes(DcmFileFormat& file) {
    constexpr E_TransferSyntax kSyntax = EXS_LittleEndianExplicit;
    if (file.validateMetaInfo(kSyntax).bad())
        return {};
    // DCMTK writes into a fixed buffer and asks to have it emptied when full.
    std::vector<char> buffer(64 * 1024);
    DcmOutputBufferStream out(buffer.data(), offile_off_t(buffer.size()));
    QByteArray bytes;
    file.transferInit();
    OFCondition status;
    do {
        status = file.write(out, kSyntax, EET_ExplicitLength, nullptr);
        void* data = nullptr;
        offile_off_t length = 0;
        out.flushBuffer(data, length);
        bytes.append(static_cast<const char*>(data), qsizetype(length));
    } while (status == EC_StreamNotifyClient);
    file.transferEnd();
    return status.good() ? bytes : QByteArray();
}

Result<std::shared_ptr<DcmFileFormat>> readPart10(const QByteArray& bytes) {
    // Why a file does not parse comes back as the message; DCMTK need not
    // also print it.
    static const bool quiet = [] {
        OFLog::getLogger("dcmtk.dcmdata").setLogLevel(OFLogger::FATAL_LOG_LEVEL);
        return true;
    }();
    (void)quiet;
    auto file = std::make_shared<DcmFileFormat>();
    DcmInputBufferStream in;
    in.setBuffer(bytes.constData(), offile_off_t(bytes.size()));
    in.setEos();
    file->transferInit();
    // Every value is read now: the buffer is the caller's and goes away.
    const OFCondition status = file->read(in, EXS_Unknown, EGL_noChange, 0xFFFFFFFFu);
    file->transferEnd();
    if (status.bad())
        return Message{ids::kDicomUnreadable, QString::fromLatin1(status.text())};
    return file;
}

void putText(DcmItem& item, const DcmTag& tag, const QString& text) {
    item.putAndInsertString(tag, text.toUtf8().constData());
}

void putAscii(DcmItem& item, const DcmTag& tag, const char* text) {
    item.putAndInsertString(tag, text);
}

DcmItem* appendItem(DcmItem& item, const DcmTagKey& sequence) {
    DcmItem* added = nullptr;
    item.findOrCreateSequenceItem(sequence, added, -2);
    return added;
}

void putCode(DcmItem& item, const DcmTagKey& sequence, const Code& code) {
    DcmItem* entry = appendItem(item, sequence);
    putAscii(*entry, DCM_CodeValue, code.value);
    putAscii(*entry, DCM_CodingSchemeDesignator, code.scheme);
    putAscii(*entry, DCM_CodeMeaning, code.meaning);
}

void putBytes(DcmItem& item, const DcmTag& tag, const QByteArray& bytes) {
    item.putAndInsertUint8Array(tag, reinterpret_cast<const Uint8*>(bytes.constData()),
                                static_cast<unsigned long>(bytes.size()));
}

QString textOf(DcmItem& item, const DcmTagKey& tag) {
    OFString value;
    if (item.findAndGetOFStringArray(tag, value).bad())
        return {};
    return QString::fromUtf8(value.c_str(), qsizetype(value.size())).trimmed();
}

std::optional<QByteArray> bytesOf(DcmItem& item, const DcmTagKey& tag) {
    DcmElement* element = nullptr;
    if (item.findAndGetElement(tag, element).bad() || !element)
        return std::nullopt;
    Uint8* data = nullptr;
    if (element->getLength() == 0)
        return QByteArray();
    if (element->getUint8Array(data).bad() || !data)
        return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(data), qsizetype(element->getLength()));
}

QString dicomDate(const QDate& date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) : QString();
}

QString dicomTime(const QTime& time) {
    return time.isValid() ? time.toString(QStringLiteral("HHmmss.zzz")) : QString();
}

QString dicomDateTime(const QDateTime& at) {
    return at.isValid() ? dicomDate(at.date()) + dicomTime(at.time()) : QString();
}

QString personName(const QString& name) {
    QString text = name.simplified();
    text.replace(u'\\', u' ').replace(u'^', u' ').replace(u'=', u' ');
    return text;
}

} // namespace vantora::dicom
