#pragma once

#include <QString>

#include <string>

#include "common/template_dialog.h"

namespace dbx {

// The characters a file-name prefix may not hold.
inline constexpr char kIllegalPrefixCharacters[] = "/\\|*:?<>'";

// True when `prefix` holds one of kIllegalPrefixCharacters.
bool HasIllegalPrefixCharacter(const QString& prefix);

// "File Name Setting" (template 156): edits the prefix of the names of extracted mails. OK
// refuses an empty prefix and one with an illegal character, each with its message, and
// stays open; otherwise it takes the prefix exactly as typed. Cancel keeps the old one.
class PrefixDialog : public TemplateDialog {
    Q_OBJECT
  public:
    // `prefix`: the current prefix, file-name bytes.
    explicit PrefixDialog(const std::string& prefix, QWidget* parent = nullptr);

    // The prefix as accepted by OK (the one given while not accepted).
    const std::string& Prefix() const { return m_strPrefix; }

  protected:
    void OnOK() override;

  private:
    std::string m_strPrefix;
};

}  // namespace dbx
