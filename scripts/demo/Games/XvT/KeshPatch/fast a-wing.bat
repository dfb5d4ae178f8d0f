@echo off
rem Makes the A-wing faster still.
echo Raising the A-wing's speed to 140 in ships.txt
> ..\ships.txt echo Ship             Speed  Shields  Missiles
>> ..\ships.txt echo X-wing             100       50         6
>> ..\ships.txt echo A-wing             140       50         6
>> ..\ships.txt echo TIE Advanced       110       40         4
type ..\ships.txt
