#include "tools/cli/CliContext.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace vantora::cli {

CliContext::CliContext(QStringList args) : args_(std::move(args)) {}

QString CliContext::takeWord(const char* what) {
    for (qsizetype i = 0; i < args_.size(); ++i) {
        if (args_[i].startsWith(QStringLiteral("--")))
            break; // options come after the words
        return args_.takeAt(i);
    }
    throw UsageError(std::string("missing ") + what);
}

std::optional<QString> CliContext::takeOption(const char* name) {
    const QString key = QStringLiteral("--") + QLatin1String(name);
    const qsizetype i = args_.indexOf(key);
    if (i < 0)
        return std::nullopt;
    if (i + 1 >= args_.size())
        throw UsageError(std::string("--") + name + " needs a value");
    const QString value = args_[i + 1];
    args_.remove(i, 2);
    return value;
}

QString CliContext::requireOption(const char* name) {
    if (auto v = takeOption(name))
        return *v;
    throw UsageError(std::string("--") + name + " is required");
}

std::optional<int> CliContext::takeIntOption(const char* name) {
    const auto v = takeOption(name);
    if (!v)
        return std::nullopt;
    bool ok = false;
    const int n = v->toInt(&ok);
    if (!ok)
        throw UsageError(std::string("--") + name + " takes a whole number");
    return n;
}

int CliContext::requireIntOption(const char* name) {
    if (auto v = takeIntOption(name))
        return *v;
    throw UsageError(std::string("--") + name + " is required");
}

bool CliContext::takeFlag(const char* name) {
    return args_.removeAll(QStringLiteral("--") + QLatin1String(name)) > 0;
}

void CliContext::finish() const {
    if (!args_.isEmpty())
        throw UsageError("unexpected argument: " + args_.first().toStdString());
}

void CliContext::printJson(const QJsonValue& value) const {
    QByteArray bytes;
    if (value.isArray())
        bytes = QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    else if (value.isObject())
        bytes = QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    else
        bytes = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact).mid(1).chopped(1);
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void CliContext::printLine(const QString& text) const {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace vantora::cli
