@echo off
rem Lets you fly with a full flight of wingmen.
echo Setting wingmen=3 in config.txt
> ..\config.txt echo campaign=imperial
>> ..\config.txt echo wingmen=3
type ..\config.txt
