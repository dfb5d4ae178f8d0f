Adds the TIE Defender to ships.txt.
Everything down to the :cont line is this note, which KeshBat never runs;
run from anywhere else, these lines would fail as unknown commands.
:cont
echo Adding the TIE Defender to ships.txt
>> ..\ships.txt echo TIE Defender       130       50        16
type ..\ships.txt
