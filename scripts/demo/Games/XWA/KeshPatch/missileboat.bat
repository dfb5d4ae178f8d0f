Adds the Missile Boat to ships.txt.
Everything down to the :cont line is this note, which KeshBat never runs;
run from anywhere else, these lines would fail as unknown commands.
:cont
echo Adding the Missile Boat to ships.txt
>> ..\ships.txt echo Missile Boat       150       60        40
type ..\ships.txt
