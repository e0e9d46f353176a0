// Lists the alternate data streams of files.
//
//   cscript //nologo alternate_streams.js C:\Downloads\setup.exe [more files...]
//
// Besides its contents, a file on NTFS can hold named streams: browsers add "Zone.Identifier" to
// downloads, other programs keep their own. tavFileStreams reads only the headers of the
// streams, never their contents, so large files cost nothing extra. ReadFileStreams returns
// false, and never throws, when the file cannot be opened.
var streams = new ActiveXObject("Brindle.tavFileStreams");
for (var a = 0; a < WScript.Arguments.length; a++) {
    var file = WScript.Arguments(a);
    var name = file.substr(file.lastIndexOf("\\") + 1);
    if (!streams.ReadFileStreams(file)) {
        WScript.Echo(name + ": cannot be opened");
        continue;
    }
    var count = 0;
    for (var i = 0; i < streams.Count; i++) {
        var stream = streams.Item(i);
        // The file's own contents are a stream too (StreamIDData); security, hard links and
        // others have kinds of their own.
        if (!stream.StreamIDAlternateData) continue;
        WScript.Echo("  " + stream.ShortName + ": " + stream.Size + " bytes");
        count++;
    }
    WScript.Echo(name + ": " + count + " alternate data stream(s)");
}
