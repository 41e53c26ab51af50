// A script client of the installed control: creates RUDLib.Notarel2 by ProgID,
// as an integrator's script does, and writes what it saw to the file named by
// its first argument, one "name=value" line each (ASCII). The second argument
// is the COM number of the device; with a third argument "save" it stores the
// port in the control's settings file.
var out = WScript.Arguments.Item(0);
var devicePort = parseInt(WScript.Arguments.Item(1), 10);
var save = WScript.Arguments.length > 2 && WScript.Arguments.Item(2) == "save";
var lines = [];
try {
  var control = new ActiveXObject("RUDLib.Notarel2");
  lines.push("FileName=" + control.FileName);
  lines.push("LoadedPortNumber=" + control.PortNumber);
  lines.push("LoadResult=" + control.ResultCode);
  control.PortNumber = devicePort;
  lines.push("ReadStatus=" + control.ReadStatus());
  lines.push("StatusCode=" + control.StatusCode);
  lines.push("Output=" + control.Output);
  control.ClosePort();
  if (save) lines.push("SaveParams=" + control.SaveParams());
} catch (e) {
  lines.push("Error=" + e.message);
}
var fso = new ActiveXObject("Scripting.FileSystemObject");
var file = fso.CreateTextFile(out, true, false);
file.Write(lines.join("\r\n") + "\r\n");
file.Close();
