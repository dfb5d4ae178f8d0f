// Every text the tool shows the user, in one place so that they can be
// read and checked against each other.
#ifndef KESHBAT_MESSAGES_H
#define KESHBAT_MESSAGES_H

inline constexpr char ErrorCaption[] = "Error";

inline constexpr char MsgRegistryProblem[] = "Problem reading game path from registry";
inline constexpr char MsgNoBatFiles[] = "There doesn't seem to be any .bat files in this directory";
inline constexpr char MsgNoSelection[] = "No .bat file selected";
inline constexpr char MsgPathTooLong[] =
    "The patch folder path is too long: with the patch.ini folder name it "
    "must stay under 260 characters.";

// Followed by the folder that could not be made current.
inline constexpr char MsgFolderUnreachable[] =
    "The patch folder could not be opened, so nothing was run:\n";
inline constexpr char MsgUnsafeName[] =
    "This script's name contains '%', which the command interpreter would "
    "expand, so it cannot be run safely.\nRename the script without '%' and "
    "try again.";
inline constexpr char MsgTempScriptFailed[] =
    "The temporary script __a.bat could not be written in the patch folder, "
    "so nothing was run.\nCheck that the folder and any old __a.bat in it "
    "can be written to.";

// The question shown, with an empty caption, before a two-part script's
// tail is run. The wording, spelling included, is the patch authors' own.
inline constexpr char DisclaimerText[] =
    "======================================================\n"
    " WARNING: This Patch will modify your TIE/XVT/BOP/XWA files.\n"
    " ======================================================\n"
    " The Kesh, Dorv, Mirl or Creator of this patch take no\n"
    " responsibility for any damage incured to your systems\n"
    " or data. You agree that any and all responsibilty for\n"
    " any damages incurred is your own. This patch is not\n"
    " created, distrubuted or supported in any way by Lucas\n"
    " Arts Entertainment Company. Use at your own risk.\n"
    " ======================================================\n"
    "\n"
    " Click 'Yes' if you have read and agree with the above disclaimer";

#endif
