' A late-bound client in VBScript: the same reads as notarel_probe.js, written
' the same way (booleans as "true" and "false"), so both give one text.
' Arguments: the output file, the device's COM number, an empty COM number.
Option Explicit
Dim out, devicePort, emptyPort, lines, control, fso, file
out = WScript.Arguments.Item(0)
devicePort = CLng(WScript.Arguments.Item(1))
emptyPort = CLng(WScript.Arguments.Item(2))
lines = ""

Sub Add(line)
  If Len(lines) > 0 Then lines = lines & vbCrLf
  lines = lines & line
End Sub

Function Flag(value)
  If value Then Flag = "true" Else Flag = "false"
End Function

On Error Resume Next
Set control = CreateObject("RUDLib.Notarel2")
If Err.Number <> 0 Then
  Add "Error=" & Err.Description
Else
  On Error GoTo 0
  Add "FileVersion=" & control.FileVersion
  Add "ResultCode=" & control.ResultCode
  Add "ResultDescription=" & control.ResultDescription
  control.PortNumber = 33
  Add "PortNumber=" & control.PortNumber
  control.DirectionValue = 257
  Add "DirectionValue=" & control.DirectionValue
  Add "CountryByIndex=" & Flag(control.CountryByIndex())
  control.PortNumber = devicePort
  Add "ReadStatus=" & Flag(control.ReadStatus())
  Add "StatusCode=" & control.StatusCode
  Add "ReadModelID=" & Flag(control.ReadModelID())
  Add "ModelID=" & control.ModelID
  control.ClosePort
  control.PortNumber = emptyPort
  Add "ReadStatus=" & Flag(control.ReadStatus())
  Add "Failure=(" & control.ResultCode & ") " & control.ResultDescription
End If
On Error GoTo 0
Set fso = CreateObject("Scripting.FileSystemObject")
Set file = fso.CreateTextFile(out, True, True)
file.Write lines
file.Close
