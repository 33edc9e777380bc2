#pragma once
// Streaming of a port's published properties, the way a form file holds a
// component: one "Name = Value" line per property, written when the value is
// stored (it differs from its default, or the property has no default), read
// back through the property setters, then Loaded. Events are not streamed;
// the program connects its handlers in code. This program configures its port
// in code; the streaming stays for programs that keep a port's configuration
// in a file.
//
//   object VaComm1: TVaComm
//     Baudrate = br2400
//     EventChars.EventChar = #9
//     DeviceName = '\\.\COM%d'
//     MonitorEvents = [ceRxChar, ceRx80Full]
//   end
#include <istream>
#include <ostream>
#include <string>

class TVaComm;

void WriteComponent(std::ostream& out, const TVaComm& comm);
std::string ComponentToText(const TVaComm& comm);

// Raises Exception("Error reading <name>.<property>: <reason>") on a line it
// cannot take; the properties read before it keep their new values.
void ReadComponent(std::istream& in, TVaComm& comm);
void ComponentFromText(const std::string& text, TVaComm& comm);
