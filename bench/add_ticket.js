// The peer: MuPDF adding the same ticket as an incremental update, a
// metadata stream named by a catalog key.
//   mutool run add_ticket.js IN.pdf OUT.pdf TICKET.xml
var doc = new PDFDocument(scriptArgs[0]);
var dict = doc.newDictionary();
dict.put("Type", doc.newName("Metadata"));
dict.put("Subtype", doc.newName("XML"));
var ticket = doc.addStream(readFile(scriptArgs[2]), dict);
doc.getTrailer().get("Root").put("QuorlanJobTicket", ticket);
doc.save(scriptArgs[1], "incremental");
