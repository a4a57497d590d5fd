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

inline constexpr char kHelpFile[] = "Varnook Tobrin DBX.chm";
inline constexpr char kStartPage[] = "sample.htm";
inline constexpr char kPrefix[] = "MailRec";

}  // namespace dbx::texts
