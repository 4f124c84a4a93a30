#include "generator/generatorsettings.h"

#include "core/machinesettings.h"

namespace {
const QString kApp = QStringLiteral("Kestrin");
const QString kSection = QStringLiteral("Settings");
} // namespace

GeneratorSettings::GeneratorSettings(MachineSettings &settings)
    : m_settings(settings) {}

bool GeneratorSettings::checkValue(const QString &stored) {
    bool ok = false;
    const int value = stored.trimmed().toInt(&ok);
    return !(ok && value == 0);
}

QString GeneratorSettings::baseWord() const {
    return read(QStringLiteral("txtMake"), {});
}

Result<> GeneratorSettings::setBaseWord(const QString &word) {
    return write(QStringLiteral("txtMake"), word);
}

QString GeneratorSettings::customExtension() const {
    return read(QStringLiteral("txtCustom"), QStringLiteral(".co.uk"));
}

Result<> GeneratorSettings::setCustomExtension(const QString &text) {
    return write(QStringLiteral("txtCustom"), text);
}

bool GeneratorSettings::checkBox(const QString &array, int index) const {
    return checkValue(read(array + QString::number(index), QStringLiteral("1")));
}

Result<> GeneratorSettings::setCheckBox(const QString &array, int index, bool on) {
    return write(array + QString::number(index), on ? QStringLiteral("1") : QStringLiteral("0"));
}

QString GeneratorSettings::read(const QString &key, const QString &defaultValue) const {
    // Only empty names fail (logged), and ours are constants.
    return m_settings.getMachineSetting(kApp, kSection, key, defaultValue).valueOr(defaultValue);
}

Result<> GeneratorSettings::write(const QString &key, const QString &value) {
    return m_settings.saveMachineSetting(kApp, kSection, key, value);
}
