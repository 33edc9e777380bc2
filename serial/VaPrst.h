#pragma once
// The unit VaPrst: the component's three configuration objects. Each tells
// its owner about a change through OnChange; a change the owner refuses (it
// raises) is undone, so the object keeps describing what the port uses.
#include <cstdint>

#include "serial/VaClasses.h"

using TVaIntW = int32_t;  // 0 .. 2147483647

class TVaBuffers : public TVaPersistent {
public:
  const char* ClassName() const override { return "TVaBuffers"; }
  // Copies all six values with one change notification.
  void Assign(const TVaPersistent& source);

  TVaIntW ReadSize() const { return FReadSize; }
  TVaIntW WriteSize() const { return FWriteSize; }
  TVaIntW ReadTimeout() const { return FReadTimeout; }
  TVaIntW WriteTimeout() const { return FWriteTimeout; }
  TVaIntW XonLimit() const { return FXonLimit; }
  TVaIntW XoffLimit() const { return FXoffLimit; }
  void SetReadSize(TVaIntW value) { SetNotifying(FReadSize, value); }
  void SetWriteSize(TVaIntW value) { SetNotifying(FWriteSize, value); }
  void SetXonLimit(TVaIntW value) { SetNotifying(FXonLimit, value); }
  void SetXoffLimit(TVaIntW value) { SetNotifying(FXoffLimit, value); }
  // Read by each call, so a change needs no notification.
  void SetReadTimeout(TVaIntW value);
  void SetWriteTimeout(TVaIntW value);

private:
  void SetNotifying(TVaIntW& field, TVaIntW value);

  TVaIntW FReadSize = 4096;
  TVaIntW FWriteSize = 2048;
  TVaIntW FReadTimeout = 1000;
  TVaIntW FWriteTimeout = 1000;
  TVaIntW FXonLimit = 1024;
  TVaIntW FXoffLimit = 1024;
};

enum TVaControlDtr : uint8_t { dtrDisabled, dtrEnabled, dtrHandshake };
enum TVaControlRts : uint8_t { rtsDisabled, rtsEnabled, rtsHandshake, rtsToggle };

class TVaFlowControl : public TVaPersistent {
public:
  const char* ClassName() const override { return "TVaFlowControl"; }
  void Assign(const TVaPersistent& source);

  bool OutCtsFlow() const { return FOutCtsFlow; }
  bool OutDsrFlow() const { return FOutDsrFlow; }
  TVaControlDtr ControlDtr() const { return FControlDtr; }
  TVaControlRts ControlRts() const { return FControlRts; }
  bool XonXoffOut() const { return FXonXoffOut; }
  bool XonXoffIn() const { return FXonXoffIn; }
  bool DsrSensitivity() const { return FDsrSensitivity; }
  bool TxContinueOnXoff() const { return FTxContinueOnXoff; }
  void SetOutCtsFlow(bool value) { SetNotifying(FOutCtsFlow, value); }
  void SetOutDsrFlow(bool value) { SetNotifying(FOutDsrFlow, value); }
  void SetControlDtr(TVaControlDtr value) { SetNotifying(FControlDtr, value); }
  void SetControlRts(TVaControlRts value) { SetNotifying(FControlRts, value); }
  void SetXonXoffOut(bool value) { SetNotifying(FXonXoffOut, value); }
  void SetXonXoffIn(bool value) { SetNotifying(FXonXoffIn, value); }
  void SetDsrSensitivity(bool value) { SetNotifying(FDsrSensitivity, value); }
  void SetTxContinueOnXoff(bool value) { SetNotifying(FTxContinueOnXoff, value); }

  // The flag bits of the device control block these settings stand for.
  uint32_t DcbFlags() const;

private:
  template <typename T>
  void SetNotifying(T& field, T value) {
    SetAndApply(field, value, [this] { Changed(); });
  }

  bool FOutCtsFlow = false;
  bool FOutDsrFlow = false;
  TVaControlDtr FControlDtr = dtrDisabled;
  TVaControlRts FControlRts = rtsDisabled;
  bool FXonXoffOut = false;
  bool FXonXoffIn = false;
  bool FDsrSensitivity = false;
  bool FTxContinueOnXoff = false;
};

class TVaEventChars : public TVaPersistent {
public:
  const char* ClassName() const override { return "TVaEventChars"; }
  void Assign(const TVaPersistent& source);

  uint8_t XonChar() const { return FChars[0]; }
  uint8_t XoffChar() const { return FChars[1]; }
  uint8_t ErrorChar() const { return FChars[2]; }
  uint8_t EventChar() const { return FChars[3]; }
  uint8_t EofChar() const { return FChars[4]; }
  // Every set notifies, changed or not.
  void SetXonChar(uint8_t value) { SetChar(1, value); }
  void SetXoffChar(uint8_t value) { SetChar(2, value); }
  void SetErrorChar(uint8_t value) { SetChar(3, value); }
  void SetEventChar(uint8_t value) { SetChar(4, value); }
  void SetEofChar(uint8_t value) { SetChar(5, value); }
  // Index 1 .. 5 in the order above.
  uint8_t Char(int index) const { return FChars[index - 1]; }
  void SetChar(int index, uint8_t value);

private:
  uint8_t FChars[5] = {17, 19, 0, 0, 0};
};
