// tavDescriptIon late bound from JScript: the calling order read, change, write back, with text
// outside ASCII that the OEM code page cannot hold.
eval(new ActiveXObject("Scripting.FileSystemObject").OpenTextFile(new ActiveXObject("WScript.Shell").Environment("PROCESS")("TAVRIN_SCRIPT_PRELUDE")).ReadAll());
var d = new ActiveXObject("Brindle.tavDescriptIon");
makeTestFolder("tavdescjs");

check(d.ReadDirectoryFile(folder) === true, "a folder without a description file reads as empty");
check(d.ItemCount === 0, "no entries");
d.AddItem("a.txt", "first");
d.AddItem("b c.txt", "second");
d.AddItem("c.txt", "\u4E16\u754C");  // not in the OEM code page: written as the conversion decides
d.AddItem("\u4E16.txt", "x");         // a name the OEM code page cannot hold gets no entry
check(d.ItemCount === 3 && d.ItemDescriptionByFileName("\u4E16.txt") === "", "a name outside the OEM code page is refused");
check(d.WriteDirectoryFile() === true, "WriteDirectoryFile() creates the file");
var back = new ActiveXObject("Brindle.tavDescriptIon");
check(back.ReadDirectoryFile(folder) === true && back.ItemCount === 3, "another object reads three entries");
check(same(back.ItemFileName(1), "b c.txt") && same(back.ItemDescription(1), "second"), "the quoted name");
check(back.ItemDescriptionByFileName("C.TXT").length === 2, "the unrepresentable text keeps its length: " + back.ItemDescriptionByFileName("C.TXT"));
check(d.WriteFile("") === true, "WriteFile with an empty name writes to the file read");

fso.GetFile(p("Descript.ion")).Attributes = 0;
finish();
