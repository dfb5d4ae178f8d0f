@echo off
rem Starts the rebel campaign instead of the imperial one.
echo Setting campaign=rebel in config.txt
> ..\config.txt echo campaign=rebel
>> ..\config.txt echo wingmen=2
type ..\config.txt
