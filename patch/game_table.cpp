#include "patch/game_table.h"

#include "app/resource.h"

// The keys are those the games' own installers write, with their
// differences kept: X-Wing vs. TIE Fighter's has no "LLC", X-Wing
// Alliance's ends in "v1.0", and Balance of Power, an add-on installed
// inside X-Wing vs. TIE Fighter, has no key of its own.
const GameEntry GameTable[4] = {
    { IDC_GAME_TIE, "TIE Fighter",
      "Software\\LucasArts Entertainment Company LLC\\TIE95\\1.0", "" },
    { IDC_GAME_XVT, "X-wing vs TIE Fighter",
      "Software\\LucasArts Entertainment Company\\X-Wing vs. TIE Fighter\\1.0", "" },
    { IDC_GAME_BOP, "Balance of Power",
      "Software\\LucasArts Entertainment Company\\X-Wing vs. TIE Fighter\\1.0", "\\BalanceOfPower" },
    { IDC_GAME_XWA, "X-wing Alliance",
      "Software\\LucasArts Entertainment Company LLC\\X-Wing Alliance\\v1.0", "" },
};

const GameEntry* FindGame(int buttonId)
{
    for (const GameEntry& game : GameTable)
        if (game.buttonId == buttonId)
            return &game;
    return nullptr;
}
