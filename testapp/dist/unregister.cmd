@echo off
setlocal
rem Removes the registration of the Notarel driver from this machine: of both
rem drivers on 64-bit Windows (see register.cmd). "unregister.cmd /s" runs
rem without message boxes.
cd /d "%~dp0"
if not exist "%SystemRoot%\SysWOW64\regsvr32.exe" (
  regsvr32 /u %1 Notarel.dll
  goto :eof
)
set native=%SystemRoot%\System32
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set native=%SystemRoot%\Sysnative
"%SystemRoot%\SysWOW64\regsvr32.exe" /u %1 Notarel.dll
"%native%\regsvr32.exe" /u %1 x64\Notarel.dll
