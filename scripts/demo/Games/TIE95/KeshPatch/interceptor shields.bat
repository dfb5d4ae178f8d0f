@echo off
rem Gives the TIE Interceptor light shields.
echo Giving the TIE Interceptor 25 shields in ships.txt
> ..\ships.txt echo Ship             Speed  Shields  Missiles
>> ..\ships.txt echo TIE Fighter        100        0         0
>> ..\ships.txt echo TIE Interceptor    111       25         0
>> ..\ships.txt echo TIE Bomber          80        0        16
type ..\ships.txt
