@echo off
rem Switches the flight view to 1024x768.
echo Setting resolution=1024x768 in config.txt
> ..\config.txt echo resolution=1024x768
>> ..\config.txt echo joystick=off
type ..\config.txt
