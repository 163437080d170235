// Lists every link of the page, with its text, in a box at the top of the page.
(function () {
  var before = document.getElementById('kestrel-link-list');
  if (before) before.remove();
  var box = document.createElement('div');
  box.id = 'kestrel-link-list';
  box.style.cssText = 'position:relative;z-index:2147483647;margin:8px;padding:8px 12px;max-height:50vh;' +
      'overflow:auto;font:13px sans-serif;background:#fffbe6;color:#222;border:1px solid #d9c77a;border-radius:4px';
  var title = document.createElement('b');
  var list = document.createElement('ol');
  var seen = {};
  for (var i = 0; i < document.links.length; i++) {
    var a = document.links[i];
    if (seen[a.href]) continue;
    seen[a.href] = true;
    var item = document.createElement('li');
    var link = document.createElement('a');
    link.href = a.href;
    link.textContent = (a.textContent || '').trim() || a.href;
    item.appendChild(link);
    item.appendChild(document.createTextNode(' \u2014 ' + a.href));
    list.appendChild(item);
  }
  title.textContent = list.children.length + ' links';
  box.appendChild(title);
  box.appendChild(list);
  document.body.insertBefore(box, document.body.firstChild);
})();
