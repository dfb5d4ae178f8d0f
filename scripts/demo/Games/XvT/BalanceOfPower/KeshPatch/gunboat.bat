Adds the Assault Gunboat to the Balance of Power ships.txt.
Everything down to the :cont line is this note, which KeshBat never runs;
run from anywhere else, these lines would fail as unknown commands.
:cont
echo Adding the Assault Gunboat to ships.txt
>> ..\ships.txt echo Assault Gunboat     95       40        16
type ..\ships.txt
