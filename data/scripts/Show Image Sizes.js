// Puts each picture's size, as the page shows it and as the file has it, on the picture.
(function () {
  var old = document.querySelectorAll('.kestrel-image-size');
  for (var k = 0; k < old.length; k++) old[k].remove();
  var images = document.images;
  for (var i = 0; i < images.length; i++) {
    var img = images[i];
    if (!img.offsetWidth || !img.offsetHeight) continue;
    var box = img.getBoundingClientRect();
    var tag = document.createElement('span');
    tag.className = 'kestrel-image-size';
    tag.textContent = img.offsetWidth + '\u00d7' + img.offsetHeight +
        (img.naturalWidth ? ' (' + img.naturalWidth + '\u00d7' + img.naturalHeight + ')' : '');
    tag.style.cssText = 'position:absolute;z-index:2147483647;font:11px sans-serif;padding:1px 3px;' +
        'background:rgba(0,0,0,.75);color:#fff;border-radius:2px;pointer-events:none;' +
        'left:' + (box.left + window.scrollX) + 'px;top:' + (box.top + window.scrollY) + 'px';
    document.body.appendChild(tag);
  }
})();
