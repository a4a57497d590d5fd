#pragma once

namespace dbx {

// Ids of the main window's controls and commands.
enum MainControlId : int {
    kIdNext = 1000,
    kIdBrowse = 1001,
    kIdPath = 1002,
    kIdHiddenBrowse = 1003,
    kIdHiddenNext = 1004,
    kIdSettings = 1005,
    kIdLiveUpdate = 1006,
    kIdSave = 1007,
    kIdHomePage = 1008,
    kIdResults = 1009,
    kIdPreview = 1010,
    kIdBack = 1011,
    kIdStop = 1012,
    kIdSplitterPlace = 1013,
    kIdProgress = 1014,
    kIdInstruction = 1015,
    kIdSelectFrame = 1016,
    kIdPicture = 1020,
    kIdSelectAll = 1021,
    kIdUnselectAll = 1022,
    kIdStatusLine = 1027,
    kCmdBrowse = 32771,
    kCmdNext = 32772,
    kCmdExitHidden = 32773,
    kCmdSettings = 32774,
    kCmdLiveUpdate = 32775,
    kCmdHelp = 32776,
    kCmdAbout = 32777,
    kCmdExit = 32778,
    kCmdHomePage = 32779,
    kSysCmdAbout = 16,
};

}  // namespace dbx
