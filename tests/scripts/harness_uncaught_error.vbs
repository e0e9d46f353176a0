' Must FAIL: an uncaught run-time error ends the script host silently with exit code 0,
' so the runner has to notice the missing marker line.
Dim x
x = 1 / 0
WScript.Echo "ALL OK"
