// The page's side of the clipboard: the selection as HTML and text for the
// host to put on the system clipboard, and inserting what the host reads
// from it. Pasted HTML is cleaned first: it never brings scripts, frames,
// event handlers or script links into the page.


(function (E) {
  'use strict';
  const DROP = 'script,iframe,frame,frameset,object,embed,applet,meta,link,base,noscript,' +
               '[' + E.uiAttribute + ']';

  function clean(html) {
    const template = document.createElement('template');
    template.innerHTML = html;
    const root = template.content;
    root.querySelectorAll(DROP).forEach(function (n) { n.remove(); });
    root.querySelectorAll('*').forEach(function (el) {
      for (const a of Array.from(el.attributes)) {
        const value = a.value.replace(/[\s\u0000-\u001f]/g, '').toLowerCase();
        if (/^on/i.test(a.name) || /^(javascript|vbscript):/.test(value))
          el.removeAttribute(a.name);
      }
    });
    const box = document.createElement('div');
    box.appendChild(root);
    return box.innerHTML;
  }
  E.cleanHtml = clean;

  E.clipboard = {
    copy: function () {
      const control = E.controlSelection && E.controlSelection();
      if (control)
        return { html: control.outerHTML, text: '' };
      const range = E.range();
      if (!range || range.collapsed)
        return { html: '', text: '' };
      // Text inside formatting keeps it: the inline elements around the
      // selection come along, without their ids.
      let content = range.cloneContents();
      let el = range.commonAncestorContainer;
      if (el.nodeType !== Node.ELEMENT_NODE)
        el = el.parentElement;
      for (; el && el !== document.body && getComputedStyle(el).display === 'inline';
           el = el.parentElement) {
        const wrap = el.cloneNode(false);
        wrap.removeAttribute('id');
        wrap.appendChild(content);
        content = wrap;
      }
      const box = document.createElement('div');
      box.appendChild(content);
      box.querySelectorAll('[' + E.uiAttribute + ']').forEach(function (n) { n.remove(); });
      return { html: box.innerHTML, text: document.getSelection().toString() };
    },
    paste: function (data) {
      const html = typeof data.html === 'string' && data.html ? clean(data.html) : '';
      const text = typeof data.text === 'string' ? data.text : '';
      if (!html && !text)
        return;
      if (E.deleteControl)
        E.deleteControl();
      if (html)
        document.execCommand('insertHTML', false, html);
      else
        document.execCommand('insertText', false, text.replace(/\r\n?/g, '\n'));
    },
  };
})(Corvane);
