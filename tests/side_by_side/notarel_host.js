// A script client as an integrator writes one: creates RUDLib.Notarel2 by its
// ProgID and prints what it reads, one "name=value" line each. The first
// argument is the COM number of the device. The registry line is the server
// this host's registry view names; FileName is the settings file the control
// loaded, beside the module that was loaded.
var port = parseInt(WScript.Arguments.Item(0), 10);
var lines = [];
try {
  var shell = new ActiveXObject("WScript.Shell");
  lines.push("InprocServer32=" +
             shell.RegRead("HKCR\\CLSID\\{7EB7310A-A4A9-41E9-93D1-4A3B76B73F11}\\InprocServer32\\"));
  var control = new ActiveXObject("RUDLib.Notarel2");
  lines.push("LoadParams.ResultCode=" + control.ResultCode);
  lines.push("FileName=" + control.FileName);
  lines.push("PortNumber=" + control.PortNumber);
  lines.push("GetCountryParams=" + control.GetCountryParams());
  lines.push("CountryName=" + control.CountryName);
  lines.push("CountryCode=" + control.CountryCode);
  lines.push("FileVersion=" + control.FileVersion);
  control.PortNumber = port;
  lines.push("ReadStatus=" + control.ReadStatus());
  lines.push("ResultCode=" + control.ResultCode);
  lines.push("Output=" + control.Output);
  lines.push("Input=" + control.Input);
  lines.push("StatusCode=" + control.StatusCode);
  lines.push("StatusDescription=" + control.StatusDescription);
  lines.push("ReadModelID=" + control.ReadModelID());
  lines.push("ModelID=" + control.ModelID);
  control.ErrorTimeout = 4321;
  lines.push("ErrorTimeout=" + control.ErrorTimeout);
  control.ClosePort();
} catch (e) {
  lines.push("Error=" + e.message);
}
WScript.Echo(lines.join("\r\n"));
