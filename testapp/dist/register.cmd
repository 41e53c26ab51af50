@echo off
rem Registers the Notarel driver (RUDLib.Notarel, RUDLib.Notarel2) on this machine.
rem Run as administrator; a 32-bit driver on 64-bit Windows is registered by the
rem 32-bit regsvr32 (%SystemRoot%\SysWOW64\regsvr32.exe).
cd /d "%~dp0"
regsvr32 Notarel.dll
