#include "core/AppSettings.h"

#include <QSettings>

namespace vantora {

namespace {
QString& storeFileOverride() {
    static QString path;
    return path;
}
} // namespace

void AppSettings::setStoreFile(const QString& iniPath) {
    storeFileOverride() = iniPath;
}

AppSettings::AppSettings() {
    QString file = storeFileOverride();
    if (file.isEmpty())
        file = qEnvironmentVariable("VANTORA_SETTINGS");
    if (file.isEmpty())
        settings_ =
            std::make_unique<QSettings>(QStringLiteral("Vantora"), QStringLiteral("VantoraECG"));
    else
        settings_ = std::make_unique<QSettings>(file, QSettings::IniFormat);
}

AppSettings::~AppSettings() = default;

std::optional<QString> AppSettings::string(const char* key) const {
    const QVariant v = settings_->value(QLatin1String(key));
    if (!v.isValid())
        return std::nullopt;
    return v.toString();
}

std::optional<int32_t> AppSettings::int32(const char* key) const {
    const QVariant v = settings_->value(QLatin1String(key));
    bool ok = false;
    const int value = v.toInt(&ok);
    if (!v.isValid() || !ok)
        return std::nullopt;
    return int32_t(value);
}

bool AppSettings::setString(const char* key, const QString& value) {
    settings_->setValue(QLatin1String(key), value);
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

bool AppSettings::setInt32(const char* key, int32_t value) {
    settings_->setValue(QLatin1String(key), int(value));
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

void AppSettings::remove(const char* key) {
    settings_->remove(QLatin1String(key));
    settings_->sync();
}

bool AppSettings::writable() const {
    return settings_->isWritable();
}

} // namespace vantora
