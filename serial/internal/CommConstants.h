#pragma once
// The comm values the component and its platform binding share: event bits,
// line-error bits, purge flags and device-control-block flag bits. They keep
// the values of the comm interface the component was designed around, so a
// binding for any platform maps the same numbers.
#include <cstdint>

namespace CommConst {

// Comm events (what WaitCommEvent reports).
constexpr uint32_t EV_RXCHAR = 0x0001;
constexpr uint32_t EV_RXFLAG = 0x0002;
constexpr uint32_t EV_TXEMPTY = 0x0004;
constexpr uint32_t EV_CTS = 0x0008;
constexpr uint32_t EV_DSR = 0x0010;
constexpr uint32_t EV_RLSD = 0x0020;
constexpr uint32_t EV_BREAK = 0x0040;
constexpr uint32_t EV_ERR = 0x0080;
constexpr uint32_t EV_RING = 0x0100;
constexpr uint32_t EV_PERR = 0x0200;
constexpr uint32_t EV_RX80FULL = 0x0400;
constexpr uint32_t EV_EVENT1 = 0x0800;
constexpr uint32_t EV_EVENT2 = 0x1000;
constexpr uint32_t EV_MODEMLINES = EV_CTS | EV_DSR | EV_RLSD | EV_RING;

// Line errors (the error word of the status record).
constexpr uint32_t CE_RXOVER = 0x0001;    // receive queue overflow
constexpr uint32_t CE_OVERRUN = 0x0002;   // hardware overrun
constexpr uint32_t CE_RXPARITY = 0x0004;  // parity error
constexpr uint32_t CE_FRAME = 0x0008;     // framing error
constexpr uint32_t CE_BREAK = 0x0010;     // break condition
constexpr uint32_t CE_IOE = 0x0400;       // I/O error: the device is gone

// Purge flags.
constexpr uint32_t PURGE_TXABORT = 0x0001;
constexpr uint32_t PURGE_RXABORT = 0x0002;
constexpr uint32_t PURGE_TXCLEAR = 0x0004;
constexpr uint32_t PURGE_RXCLEAR = 0x0008;

// Flag word of the device control block.
constexpr uint32_t DCB_Binary = 0x0001;
constexpr uint32_t DCB_Parity = 0x0002;
constexpr uint32_t DCB_OutxCtsFlow = 0x0004;
constexpr uint32_t DCB_OutxDsrFlow = 0x0008;
constexpr uint32_t DCB_DtrControlMask = 0x0030;
constexpr uint32_t DCB_DtrControlEnable = 0x0010;
constexpr uint32_t DCB_DtrControlHandshake = 0x0020;
constexpr uint32_t DCB_DsrSensitivity = 0x0040;
constexpr uint32_t DCB_TXContinueOnXoff = 0x0080;
constexpr uint32_t DCB_OutX = 0x0100;
constexpr uint32_t DCB_InX = 0x0200;
constexpr uint32_t DCB_ErrorChar = 0x0400;
constexpr uint32_t DCB_Null = 0x0800;
constexpr uint32_t DCB_RtsControlMask = 0x3000;
constexpr uint32_t DCB_RtsControlEnable = 0x1000;
constexpr uint32_t DCB_RtsControlHandshake = 0x2000;
constexpr uint32_t DCB_RtsControlToggle = 0x3000;
constexpr uint32_t DCB_AbortOnError = 0x4000;

// Parity and stop-bit codes of the device control block.
constexpr uint8_t NOPARITY = 0, ODDPARITY = 1, EVENPARITY = 2, MARKPARITY = 3, SPACEPARITY = 4;
constexpr uint8_t ONESTOPBIT = 0, ONE5STOPBITS = 1, TWOSTOPBITS = 2;

// Time-out value meaning "return at once" for the read interval.
constexpr uint32_t MAXDWORD = 0xFFFFFFFFu;

}  // namespace CommConst
