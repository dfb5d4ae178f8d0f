Adds the B-wing to ships.txt.
Everything down to the :cont line is this note, which KeshBat never runs;
run from anywhere else, these lines would fail as unknown commands.
:cont
echo Adding the B-wing to ships.txt
>> ..\ships.txt echo B-wing              90      100         8
type ..\ships.txt
