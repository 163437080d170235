// Removes what stands fixed over the page (cookie banners, sign-up boxes, sticky bars)
// and lets the page scroll again.
(function () {
  var all = document.body ? document.body.getElementsByTagName('*') : [];
  var gone = [];
  for (var i = 0; i < all.length; i++) {
    var style = window.getComputedStyle(all[i]);
    if (style.position === 'fixed' || style.position === 'sticky') gone.push(all[i]);
  }
  for (var k = 0; k < gone.length; k++) gone[k].remove();
  document.documentElement.style.overflow = 'auto';
  document.body.style.overflow = 'auto';
})();
