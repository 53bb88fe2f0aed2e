// Simple controls: panel, label, shape, image button and push button.
// Thread: user-interface thread only.
#pragma once

#include "ui/Widget.h"

namespace orvane::ui {

class Panel : public Widget {
 public:
  Panel(Backend& backend, Widget* parent, std::string name = {});
  bool bevel() const { return bevel_; }
  void setBevel(bool bevel);

 private:
  bool bevel_ = false;
};

enum class HorizontalAlign { Left, Center, Right };

class Label : public Widget {
 public:
  Label(Backend& backend, Widget* parent, std::string name = {});
  HorizontalAlign alignment() const { return alignment_; }
  void setAlignment(HorizontalAlign alignment);
  bool verticalCenter() const { return verticalCenter_; }
  void setVerticalCenter(bool center);
  bool wordWrap() const { return wordWrap_; }
  void setWordWrap(bool wrap);
  bool autoSize() const { return autoSize_; }
  // With auto size on, setting the text sizes the label to it (an estimate from the font).
  void setAutoSize(bool autoSize);
  void setText(std::string text) override;
  // A flat button (a caption over a shape): it takes the keyboard focus in tab order, shows
  // a focus mark, and Space or Enter presses it as the left mouse button does.
  bool flatButton() const { return flatButton_; }
  void setFlatButton(bool flat);

 private:
  void fitToText();
  HorizontalAlign alignment_ = HorizontalAlign::Left;
  bool verticalCenter_ = false;
  bool wordWrap_ = false;
  bool autoSize_ = true;
  bool flatButton_ = false;
};

enum class ShapeType { Rectangle, RoundRect };

class Shape : public Widget {
 public:
  Shape(Backend& backend, Widget* parent, std::string name = {});
  ShapeType shapeType() const { return shapeType_; }
  void setShapeType(ShapeType type);
  Color brushColor() const { return brushColor_; }
  void setBrushColor(Color color);
  Color penColor() const { return penColor_; }
  void setPenColor(Color color);
  int penWidth() const { return penWidth_; }
  void setPenWidth(int width);

 private:
  ShapeType shapeType_ = ShapeType::RoundRect;
  Color brushColor_ = kWhite;
  Color penColor_ = kBlack;
  int penWidth_ = 1;
};

// A clickable picture without a frame.
class ImageButton : public Widget {
 public:
  ImageButton(Backend& backend, Widget* parent, std::string name = {});
  const Image& picture() const { return picture_; }
  void setPicture(Image picture);

 private:
  Image picture_;
};

class Button : public Widget {
 public:
  Button(Backend& backend, Widget* parent, std::string name = {});
  // A button whose click closes its modal form with this result (0: none).
  int modalResult() const { return modalResult_; }
  void setModalResult(int result) { modalResult_ = result; }
  // Hands the modal result to the form (which closes it), then raises onClick.
  void click() override;

 private:
  int modalResult_ = modal::kNone;
};

}  // namespace orvane::ui
