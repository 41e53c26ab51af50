@echo off
rem Removes the registration of the Notarel driver from this machine.
cd /d "%~dp0"
regsvr32 /u Notarel.dll
