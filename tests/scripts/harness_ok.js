// The script runner passes a script that reaches its marker line.
WScript.Echo("jscript runs");
WScript.Echo("ALL OK");
