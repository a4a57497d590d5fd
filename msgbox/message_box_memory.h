#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "markup_message_box.h"

namespace dbx {

// Where a "Do not show again" answer is kept: the key
// "Software\<company>\<module>\MarkupMessageBox" (or "Software\<module>\MarkupMessageBox"
// without a company) of the user's native settings, and the value prefix + number.
struct RememberedAnswerKey {
    QString organization;
    QString application;
    QString group;  // empty: values directly under the application
    QString valueName;
};

// The file name of the running executable, extension included.
QString ExecutableModuleName();

// Null when the options ask for nothing to be remembered (empty prefix).
std::optional<RememberedAnswerKey> RememberKeyOf(const MessageBoxOptions& options);

// The stored answer; null when there is none or it is not a number.
std::optional<std::int32_t> ReadRememberedAnswer(const RememberedAnswerKey& key);
// Failures are ignored.
void WriteRememberedAnswer(const RememberedAnswerKey& key, std::int32_t answer);

}  // namespace dbx
