@echo off
rem Turns the in-flight music off.
echo Setting music=off in config.txt
> ..\config.txt echo cockpit=on
>> ..\config.txt echo music=off
type ..\config.txt
