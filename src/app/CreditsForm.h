// TCreditsForm: the credits window, shown modally; any click or key closes it.
// Thread: user-interface thread only.
#pragma once

#include <memory>
#include <vector>

#include "app/Windows.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace orvane {

class TCreditsForm : public ui::Form {
 public:
  explicit TCreditsForm(AppContext& context);

  std::unique_ptr<ui::Shape> Frame;
  std::unique_ptr<ui::Label> ProgramTitle, Authors, ContactHeader, Contact, WebsiteHeader,
      Website, SupportHeader, Support, Manual1, Manual2, Manual3, Licence, Disclaimer;

  std::vector<ui::Label*> labels() const;

 private:
  void closeOnInput(ui::Widget& widget);
};

}  // namespace orvane
