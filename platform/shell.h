#pragma once

#include <QString>
#include <QStringList>

#include <memory>

namespace dbx {

// What the system asks of the desktop shell: open a document or web address with the user's
// default program, start a program with arguments. Tests put a recording shell in its place.
class Shell {
  public:
    virtual ~Shell() = default;
    // A local path or an address ("http://...", "mailto:..."); false when nothing could open it.
    virtual bool Open(const QString& target) = 0;
    // Starts `program` detached, in `workingDirectory` when not empty.
    virtual bool Start(const QString& program, const QStringList& arguments,
                       const QString& workingDirectory = {}) = 0;
    // Whether a program that shows help files (.chm) is installed. The desktop's opener
    // cannot say so without making the caller wait, so known viewers are looked for.
    virtual bool HasHelpViewer() { return true; }

    // The shell in use: the desktop's unless one was installed.
    static Shell& Current();
    // Installs `shell` (null restores the desktop's); returns the one it replaces.
    static std::unique_ptr<Shell> Install(std::unique_ptr<Shell> shell);
};

}  // namespace dbx
