@echo off
rem Sets the pilot difficulty to hard.
echo Setting difficulty=hard in config.txt
> ..\config.txt echo difficulty=hard
>> ..\config.txt echo music=on
type ..\config.txt
