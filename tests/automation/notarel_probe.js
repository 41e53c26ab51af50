// A late-bound client: creates the control by ProgID, as a script host does,
// and writes what it read to the file named by its first argument, one
// "name=value" line each, in UTF-16. The second argument is the COM number
// of the device, the third that of a port with nothing behind it.
var out = WScript.Arguments.Item(0);
var devicePort = parseInt(WScript.Arguments.Item(1), 10);
var emptyPort = parseInt(WScript.Arguments.Item(2), 10);
var lines = [];
try {
  var control = new ActiveXObject("RUDLib.Notarel2");
  lines.push("FileVersion=" + control.FileVersion);
  lines.push("ResultCode=" + control.ResultCode);
  lines.push("ResultDescription=" + control.ResultDescription);
  control.PortNumber = 33;
  lines.push("PortNumber=" + control.PortNumber);
  control.DirectionValue = 257;
  lines.push("DirectionValue=" + control.DirectionValue);
  lines.push("CountryByIndex=" + control.CountryByIndex());
  control.PortNumber = devicePort;
  lines.push("ReadStatus=" + control.ReadStatus());
  lines.push("StatusCode=" + control.StatusCode);
  lines.push("ReadModelID=" + control.ReadModelID());
  lines.push("ModelID=" + control.ModelID);
  control.ClosePort();
  control.PortNumber = emptyPort;
  lines.push("ReadStatus=" + control.ReadStatus());
  lines.push("Failure=(" + control.ResultCode + ") " + control.ResultDescription);
} catch (e) {
  lines.push("Error=" + e.message);
}
var fso = new ActiveXObject("Scripting.FileSystemObject");
var file = fso.CreateTextFile(out, true, true);
file.Write(lines.join("\r\n"));
file.Close();
