#include "dicom/DicomNode.h"

#include "core/AppSettings.h"
#include "core/StringIds.h"

namespace vantora {

namespace {

constexpr int kMaxAeTitleLength = 16;

} // namespace

bool isValidAeTitle(const QString& title) {
    if (title.isEmpty() || title.size() > kMaxAeTitleLength || title.trimmed().isEmpty()) {
        return false;
    }
    for (QChar c : title) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7E || c == u'\\') {
            return false;
        }
    }
    return true;
}

QString DicomNode::text() const {
    return QStringLiteral("%1@%2:%3").arg(aeTitle, host).arg(port);
}

Result<DicomNode> DicomNode::parse(const QString& text) {
    const Message refused{ids::kNotADicomNode, text};
    // The title may itself hold "@", so the last one separates it from the host.
    const qsizetype at = text.lastIndexOf(u'@');
    const qsizetype colon = text.lastIndexOf(u':');
    if (at <= 0 || colon <= at + 1) {
        return refused;
    }
    DicomNode node;
    node.aeTitle = text.left(at).trimmed();
    node.host = text.mid(at + 1, colon - at - 1);
    bool isNumber = false;
    node.port = text.mid(colon + 1).toInt(&isNumber);
    if (!isValidAeTitle(node.aeTitle)) {
        return Message{ids::kNotADicomAe, text.left(at)};
    }
    if (!isNumber || node.port < 1 || node.port > 65535 || node.host.contains(u' ')) {
        return refused;
    }
    return node;
}

DicomSettings DicomSettings::load(const AppSettings& settings) {
    DicomSettings s;
    const QString station = settings.string(kStationAetKey).value_or(QString()).trimmed();
    if (isValidAeTitle(station)) {
        s.stationAet = station;
    }
    const auto node = [&](const char* key) {
        const auto stored = settings.string(key);
        if (!stored) {
            return DicomNode{};
        }
        auto parsed = DicomNode::parse(*stored);
        return parsed ? parsed.value() : DicomNode{};
    };
    s.archive = node(kArchiveKey);
    s.worklist = node(kWorklistKey);
    return s;
}

bool DicomSettings::save(AppSettings& settings) const {
    const auto nodeText = [](const DicomNode& n) { return n.isSet() ? n.text() : QString(); };
    return settings.setString(kStationAetKey, stationAet) &&
           settings.setString(kArchiveKey, nodeText(archive)) &&
           settings.setString(kWorklistKey, nodeText(worklist));
}

} // namespace vantora
