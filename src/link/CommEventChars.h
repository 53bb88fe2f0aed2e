// TCommEventChars: the five special characters of a serial port (XOn, XOff, error,
// end-of-file, event). Changing one re-applies the owning port's line settings.
// Thread: user-interface thread (with its port).
#pragma once

namespace orvane {

class TThreadComm;

class TCommEventChars {
 public:
  // owner: the port whose line settings follow these characters (none for a free set).
  explicit TCommEventChars(TThreadComm* owner = nullptr);
  TCommEventChars(const TCommEventChars&) = delete;
  TCommEventChars& operator=(const TCommEventChars&) = delete;

  char XOnChar() const { return chars_[0]; }
  char XOffChar() const { return chars_[1]; }
  char ErrorChar() const { return chars_[2]; }
  char EofChar() const { return chars_[3]; }
  char EvtChar() const { return chars_[4]; }
  void SetXOnChar(char value) { SetEventChar(1, value); }
  void SetXOffChar(char value) { SetEventChar(2, value); }
  void SetErrorChar(char value) { SetEventChar(3, value); }
  void SetEofChar(char value) { SetEventChar(4, value); }
  void SetEvtChar(char value) { SetEventChar(5, value); }

  // index 1-5 in the order above; other indexes are ignored. A changed character
  // re-applies the owner's line settings (which may raise the owner's error).
  char EventChar(int index) const;
  void SetEventChar(int index, char value);
  // Copies the five characters (the owner stays).
  void Assign(const TCommEventChars& source);

 private:
  TThreadComm* owner_;
  char chars_[5] = {17, 19, 0, 0, 0};
};

}  // namespace orvane
