@echo off
rem Doubles the YT-1300's shields.
echo Raising the YT-1300's shields to 200 in ships.txt
> ..\ships.txt echo Ship             Speed  Shields  Missiles
>> ..\ships.txt echo YT-1300            100      200         4
>> ..\ships.txt echo X-wing             100       50         6
>> ..\ships.txt echo TIE Fighter        100        0         0
type ..\ships.txt
