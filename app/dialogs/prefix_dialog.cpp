#include "dialogs/prefix_dialog.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include "common/app_message.h"
#include "common/app_texts.h"
#include "dressing/dressed_controls.h"
#include "resource_registry.h"
#include "templates.h"

namespace dbx {
namespace {

constexpr int kIdPrefixEdit = 1002;
constexpr int kIdPrefixLabel = 1017;

}  // namespace

bool HasIllegalPrefixCharacter(const QString& prefix) {
    for (const char* c = kIllegalPrefixCharacters; *c; ++c) {
        if (prefix.contains(QLatin1Char(*c))) return true;
    }
    return false;
}

PrefixDialog::PrefixDialog(const std::string& prefix, QWidget* parent)
    : TemplateDialog(PrefixDialogTemplate(),
                     ResourceRegistry::Instance().Image(kIdrPrefixBackground), parent,
                     [](const ControlTemplate& control, QWidget* client) {
                         return MakeTransparentStatic(control, client, {kIdPrefixLabel});
                     }),
      m_strPrefix(prefix) {
    UseSmallDialogFrame(*this);
    auto* edit = ControlAs<QLineEdit>(kIdPrefixEdit);
    edit->setText(QFile::decodeName(QByteArray::fromStdString(prefix)));
    edit->setFocus();
    // Enter in the field validates, as the dialog's default button would.
    if (auto* ok = ControlAs<QPushButton>(1)) ok->setDefault(true);
}

void PrefixDialog::OnOK() {
    const QString text = ControlAs<QLineEdit>(kIdPrefixEdit)->text();
    if (text.isEmpty()) {
        Notify(texts::kPrefixEmpty, texts::kPrefixCaption);
        return;
    }
    if (HasIllegalPrefixCharacter(text)) {
        Notify(texts::kPrefixIllegal, texts::kPrefixCaption);
        return;
    }
    m_strPrefix = QFile::encodeName(text).toStdString();
    accept();
}

}  // namespace dbx
