#pragma once

// The texts the main window shows, exactly as they read (blanks and line breaks included).
// Windows-1252.
namespace dbx::texts {

inline constexpr char kCaption[] = "Varnook Tobrin Outlook Express";
// The Next notice and the preview notice have one trailing blank.
inline constexpr char kNoticeCaption[] = "Varnook Tobrin Outlook Express ";

inline constexpr char kStepOne[] =
    "                1. Please Locate the corrupted file from \"Select file for Recover\" "
    "option from"
    "                                                    "
    "browse button on the screen\r\n"
    "                2. Click Next Button.";
inline constexpr char kSearching[] =
    "                Searching Messages...... (You can stop this serach process by pressing "
    "stop button )";
inline constexpr char kStepTwo[] =
    "                Select the message from list for preview or select save option from "
    "toolbar for \r\n"
    "                save the mails";

inline constexpr char kNoFileSelected[] = "No file selected to repair";
inline constexpr char kNoFileSelectedMore[] =
    "   1. Please Locate the corrupted file from \"select file\" \r\n"
    "      option from toolbar or from selection button on the screen\r\n"
    "    2. Click Next Button.";
inline constexpr char kStopQuestion[] = "Do you really want to stop search process ?";
inline constexpr char kStopSearchForPreview[] = "Please stop the search process for preview";
inline constexpr char kHelpMissing[] = " Varnook Tobrin DBX.chm not found";
inline constexpr char kHelpViewerMissing[] =
    "No program to show the help file was found.\n\nPlease install a viewer for .chm files, "
    "for example xchm (on Debian or Ubuntu: apt install xchm) or kchmviewer, then press F1 "
    "again.";
inline constexpr char kSaveDuringSearch[] = "Please stop search process and then save files";
inline constexpr char kNothingTicked[] = "Please select files for save";
inline constexpr char kUpdaterMissing[] =
    "Live Update file not found. Please re-instaill the software.";
inline constexpr char kUpdateQuestion[] =
    "The application will be closed if you want to run Live Update of the software. Continue ?";
inline constexpr char kExitQuestion[] = "Do you really want to exit ?";
inline constexpr char kStoreTooLarge[] =
    "This file is larger than 4 GB. Only its first 4 GB were searched for messages.";
// Next asks before it searches a disk, or a file that may be a disk image, for every store in
// it. Lines broken by hand: the box is as wide as its longest line.
inline constexpr char kImageQuestion[] =
    "This file is not an Outlook Express store.\n"
    "It may be a disk or a disk image.\n\n"
    "Search it for every store it holds?\n"
    "(No searches it as one store.)";
inline constexpr char kLargeImageQuestion[] =
    "This file is larger than 4 GB, too large\n"
    "for an Outlook Express store. It may be a disk image.\n\n"
    "Search it for every store it holds?\n"
    "(No searches its first 4 GB as one store.)";
inline constexpr char kDiskQuestion[] =
    "This is a disk, not an Outlook Express store.\n\n"
    "Search the whole disk for every store it holds?\n"
    "(No searches it as one store.)";

// The prefix dialog's messages have a caption of their own.
inline constexpr char kPrefixCaption[] = "Varnook Tobrin Quillmark";
inline constexpr char kPrefixEmpty[] = "Please fill prefix";
inline constexpr char kPrefixIllegal[] = "Illegal character found in file pre fix ";

inline constexpr char kStoreFilter[] = "OutLook Express File(*.dbx)";
inline constexpr char kImageFilter[] = "Disk images (*.img *.dd *.raw *.001)";
inline constexpr char kAnyFileFilter[] = "All files (*)";
inline constexpr char kChooseSaveFolder[] = "Save the ticked mails in";

inline constexpr char kHelpFile[] = "Varnook Tobrin DBX.chm";
inline constexpr char kStartPage[] = "sample.htm";
// The product's home page: a page that comes with the program, so nothing needs the network.
inline constexpr char kHomePage[] = "home.htm";
inline constexpr char kUpdater[] = "Tobrin Live Update.exe";
inline constexpr char kUpdaterArgument[] = "<QZWRB>";
inline constexpr char kPrefix[] = "MailRec";

}  // namespace dbx::texts
