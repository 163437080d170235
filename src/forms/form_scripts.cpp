#include "forms/form_scripts.h"

#include "common/script_text.h"

namespace kestrel {

namespace {

// The form that holds the keyboard focus: the focused element or the first
// form around it. Focus inside a frame is no active form, even when the
// frame stands in a form.
const char kActiveForm[] = R"JS(
function activeForm() {
  var e = document.activeElement;
  if (e && (e.tagName === 'IFRAME' || e.tagName === 'FRAME')) return null;
  for (; e; e = e.parentElement) if (e.tagName === 'FORM') return e;
  return null;
}
var buttons = {submit: 1, reset: 1, button: 1, image: 1};
)JS";

const char kFill[] = R"JS(
var data = new Map(PAIRS), forms;
if (ACTIVE) {
  var f = activeForm();
  if (!f) return -1;
  forms = [f];
} else {
  forms = Array.prototype.slice.call(document.forms);
}
var filled = 0;
function changed(e) {
  // Pages that watch their fields learn of the new value as of typing.
  e.dispatchEvent(new Event('input', {bubbles: true}));
  e.dispatchEvent(new Event('change', {bubbles: true}));
  ++filled;
}
forms.forEach(function (form) {
  var els = form.elements;
  for (var i = 0; i < els.length; ++i) {
    var e = els[i], name = e.getAttribute('name');
    if (name === null || !data.has(name)) continue;
    var v = data.get(name), tag = e.tagName;
    if (tag === 'INPUT') {
      var type = e.type.toLowerCase();
      if (type === 'checkbox' || type === 'radio') {
        // Only the one with the stored value is checked; nothing is unchecked.
        if (e.value === v) { e.checked = true; changed(e); }
      } else if (type !== 'file' && !buttons[type]) {
        e.value = v;
        changed(e);
      }
    } else if (tag === 'TEXTAREA') {
      e.value = v;
      changed(e);
    } else if (tag === 'SELECT') {
      var all = '|' + v + '|';
      for (var j = 0; j < e.options.length; ++j) e.options[j].selected = all.indexOf('|' + e.options[j].text + '|') >= 0;
      changed(e);
    }
  }
});
return filled;
)JS";

const char kRead[] = R"JS(
var form = activeForm();
if (!form) return null;
var out = [form.getAttribute('name') || ''], els = form.elements;
for (var i = 0; i < els.length; ++i) {
  var e = els[i], name = e.getAttribute('name'), tag = e.tagName, v;
  if (!name) continue;
  if (tag === 'INPUT') {
    var type = e.type.toLowerCase();
    if (type === 'checkbox' || type === 'radio') {
      if (!e.checked) continue;
      v = e.value;
    } else if (buttons[type]) {
      continue;
    } else {
      v = e.value;
    }
  } else if (tag === 'TEXTAREA') {
    v = e.value;
  } else if (tag === 'SELECT') {
    v = Array.prototype.filter.call(e.options, function (o) { return o.selected; })
             .map(function (o) { return o.text; }).join('|');
  } else {
    continue;
  }
  out.push(name, v);
}
return out;
)JS";

std::string Wrap(const std::string& body) { return "(function () {" + std::string(kActiveForm) + body + "})()"; }

std::string Replace(std::string text, const std::string& what, const std::string& with) {
  const std::size_t at = text.find(what);
  return at == std::string::npos ? text : text.replace(at, what.size(), with);
}

}  // namespace

std::string FillFormsScript(const std::string& pairs, bool activeOnly) {
  // The marker in the script first, the data last: data never gets replaced into.
  return Wrap(Replace(Replace(kFill, "ACTIVE", activeOnly ? "true" : "false"), "PAIRS", pairs));
}

std::string ReadActiveFormScript() { return Wrap(kRead); }

std::optional<ActiveForm> ParseActiveForm(const std::string& json) {
  const std::optional<std::vector<std::string>> items = ParseJsonStrings(json);
  if (!items || items->empty() || items->size() % 2 == 0) return std::nullopt;
  ActiveForm form;
  form.name = (*items)[0];
  for (std::size_t i = 1; i + 1 < items->size(); i += 2) form.fields.emplace_back((*items)[i], (*items)[i + 1]);
  return form;
}

}  // namespace kestrel
