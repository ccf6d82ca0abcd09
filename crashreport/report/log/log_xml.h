// The XML document of a log: one Log element per stored report, inside Doc.
//
//   <Doc>
//     <Log Version="6.1.01 RC 1">
//       <General>      Group ID Label > Line ID Label Value
//       <CallStack>    ExceptionThread | RunningThread | CallingThread ID Priority Class MainThread
//                        > Line Address Module Unit Class Procedure Number Offset
//       <Modules>      Module Handle Name Description Version Size Modified Path
//       <Processes>    Process ID Name Description Version Memory Priority Threads Path
//       <Assembler>    Line Address Command Comment
//       <CPU>          Registers EAX EBX ECX EDX EDI ESI ESP EIP,
//                      Stack > Line Address Value, MemoryDump > Line Address Bytes Chars
//       <HoToReproduce Text/>   (reports below version 5.0)
//     </Log>
//   </Doc>
//
// Lines end in CR LF; each level is indented by two spaces; an element without
// children is a self-closing tag. Attribute values are escaped by EscapeXml.
// Protected (enciphered) names in the call stack are exported as stored.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crashreport/report/log/xml_item.h"

namespace tarvex {

// The Log element of one stored report.
TXMLItem ReportXml(std::string_view report);

// The whole document.
std::string ExportXml(const std::vector<std::string>& reports);

}  // namespace tarvex
