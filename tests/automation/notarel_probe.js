// A late-bound client: creates the control by ProgID, as a script host does,
// and writes what it read to the file named by its one argument, one
// "name=value" line each, in UTF-16.
var out = WScript.Arguments.Item(0);
var lines = [];
try {
  var control = new ActiveXObject("RUDLib.Notarel2");
  lines.push("FileVersion=" + control.FileVersion);
  lines.push("ResultCode=" + control.ResultCode);
  control.PortNumber = 33;
  lines.push("PortNumber=" + control.PortNumber);
  control.DirectionValue = 257;
  lines.push("DirectionValue=" + control.DirectionValue);
  lines.push("CountryByIndex=" + control.CountryByIndex());
} catch (e) {
  lines.push("Error=" + e.message);
}
var fso = new ActiveXObject("Scripting.FileSystemObject");
var file = fso.CreateTextFile(out, true, true);
file.Write(lines.join("\r\n"));
file.Close();
