// The four games the tool knows, one row per game button.
#ifndef KESHBAT_GAME_TABLE_H
#define KESHBAT_GAME_TABLE_H

struct GameEntry {
    int buttonId;             // IDC_GAME_*
    const char* caption;      // the button's text
    const char* registryKey;  // under HKEY_LOCAL_MACHINE; the value is "Install Path"
    const char* suffix;       // appended to the value; "" for none
};

extern const GameEntry GameTable[4];

// The row of a game button, or nullptr for any other control.
const GameEntry* FindGame(int buttonId);

#endif
