@echo off
setlocal
rem Registers the Notarel driver (RUDLib.Notarel, RUDLib.Notarel2) on this machine.
rem Run as administrator; "register.cmd /s" registers without message boxes.
rem On 64-bit Windows both drivers are registered side by side: Notarel.dll by
rem the 32-bit regsvr32 into the 32-bit registry view (for 32-bit programs) and
rem x64\Notarel.dll by the native regsvr32 into the 64-bit view (for 64-bit
rem programs). Sysnative is the native system folder as a 32-bit cmd sees it.
cd /d "%~dp0"
if not exist "%SystemRoot%\SysWOW64\regsvr32.exe" (
  regsvr32 %1 Notarel.dll
  goto :eof
)
set native=%SystemRoot%\System32
if exist "%SystemRoot%\Sysnative\regsvr32.exe" set native=%SystemRoot%\Sysnative
"%SystemRoot%\SysWOW64\regsvr32.exe" %1 Notarel.dll
"%native%\regsvr32.exe" %1 x64\Notarel.dll
