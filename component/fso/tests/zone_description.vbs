' tavFSO zone mark and one file's description, late bound from VBScript in the order a script
' uses them. (The test platform keeps the stream F:Zone.Identifier as a sibling file.)
Option Explicit
Begin
Dim tav, file
Set tav = CreateObject("Brindle.tavFSO")
MakeTestFolder "tavmarkvbs"

file = P("report.txt")
WriteTextFile file, "text"
Check tav.GetFileZone(file) = 0, "a fresh local file is in zone 0"
Check tav.SetFileZone(file, 3) And tav.GetFileZone(file) = 3, "SetFileZone 3 and read back"
Check Not tav.SetFileZone(P("missing.txt"), 4), "a missing file cannot be marked"
Check tav.GetFileDescription(file) = "", "no description yet"
Check tav.SetFileDescription(file, "Monthly report"), "SetFileDescription creates Descript.ion"
Check tav.GetFileDescription(P("REPORT.TXT")) = "Monthly report", "read back by any case of the name"
Check 2 = (fso.GetFile(P("Descript.ion")).Attributes And 2), "the description file is hidden"
Check tav.GetFileDescription(file & Chr(0) & "x") = "", "a name with a NUL has no description"
Check Not tav.SetFileDescription(file & Chr(0) & "x", "other"), "and gets none"
Check tav.GetFileZone(file & Chr(0) & "x") = 0 And Not tav.SetFileZone(file & Chr(0) & "x", 1), "nor a zone"

fso.GetFile(P("Descript.ion")).Attributes = 0
Finish
