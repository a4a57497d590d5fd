#include "message_box_memory.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include "ansi_codepage.h"

namespace dbx {
namespace {

constexpr char kBoxKey[] = "MarkupMessageBox";

QString FullValueName(const RememberedAnswerKey& key) {
    return key.group.isEmpty() ? key.valueName : key.group + QLatin1Char('/') + key.valueName;
}

}  // namespace

QString ExecutableModuleName() {
    return QFileInfo(QCoreApplication::applicationFilePath()).fileName();
}

std::optional<RememberedAnswerKey> RememberKeyOf(const MessageBoxOptions& options) {
    if (options.rememberPrefix.empty()) return std::nullopt;
    RememberedAnswerKey key;
    // QSettings puts organisation and application under "Software" in the native store, so the
    // key's components map onto them in order.
    if (!options.rememberCompany.empty()) {
        key.organization = AnsiToQString(options.rememberCompany);
        key.application = ExecutableModuleName();
        key.group = QLatin1String(kBoxKey);
    } else {
        key.organization = ExecutableModuleName();
        key.application = QLatin1String(kBoxKey);
    }
    key.valueName = AnsiToQString(options.rememberPrefix) + QString::number(options.rememberNumber);
    return key;
}

std::optional<std::int32_t> ReadRememberedAnswer(const RememberedAnswerKey& key) {
    const QSettings settings(QSettings::NativeFormat, QSettings::UserScope, key.organization,
                             key.application);
    const QVariant value = settings.value(FullValueName(key));
    if (!value.isValid()) return std::nullopt;
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    // A 32-bit value: anything wider is not one this box wrote.
    if (!ok || number < INT32_MIN || number > UINT32_MAX) return std::nullopt;
    return std::int32_t(std::uint32_t(number));
}

void WriteRememberedAnswer(const RememberedAnswerKey& key, std::int32_t answer) {
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, key.organization,
                       key.application);
    settings.setValue(FullValueName(key), answer);
    settings.sync();
}

}  // namespace dbx
