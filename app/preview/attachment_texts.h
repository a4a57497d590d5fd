#pragma once

// What the window says about attachments: markup, Windows-1252. "%1" is the attachment's
// name, "%2" a path, "%3" the reason.
namespace dbx::texts {

// Lines broken by hand: the box is as wide as its longest line.
inline constexpr char kRiskyAttachment[] =
    "\"%1\" is a program or a script.\n\n"
    "Opened, it runs on this computer with your rights, and a program\n"
    "that comes by mail can harm your files and your computer.\n"
    "Open it only if you trust its sender and expected it.\n\n"
    "Do you want to open it?";
inline constexpr char kAttachmentNotOpened[] = "The attachment \"%1\" could not be opened: %3.";
inline constexpr char kNoProgramForAttachment[] =
    "The attachment \"%1\" was written to\n%2\nbut no program could be started to open it.";
inline constexpr char kAttachmentNotSaved[] =
    "The attachment \"%1\" could not be saved as\n%2\n\n%3.";
inline constexpr char kAttachmentUnreadable[] =
    "The attachment \"%1\" could not be read again from the store: %3.";
inline constexpr char kSaveAttachmentTitle[] = "Save attachment as";

}  // namespace dbx::texts
