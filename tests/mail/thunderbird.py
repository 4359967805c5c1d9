#!/usr/bin/env python3
"""Drives a running Thunderbird, started with --marionette, as a user of the mail test would.

  thunderbird.py PORT_FILE login PASSWORD      stores the IMAP account's password
  thunderbird.py PORT_FILE send FORMAT SUBJECT writes a new message to the account's own address
      in FORMAT (plain, or html sent as HTML), pastes the clipboard into its body and sends it
  thunderbird.py PORT_FILE copy SUBJECT        fetches the inbox over IMAP, shows the message with
      that subject, and selects and copies its whole body to the clipboard
"""
import sys

from marionette import Marionette

MODULES = """
const {MailServices} = ChromeUtils.importESModule("resource:///modules/MailServices.sys.mjs");
const {MailUtils} = ChromeUtils.importESModule("resource:///modules/MailUtils.sys.mjs");
const pause = ms => new Promise(done => setTimeout(done, ms));
async function until(what, test, seconds = 60) {
    for (const end = Date.now() + seconds * 1000; Date.now() < end; await pause(100)) {
        const value = test();
        if (value)
            return value;
    }
    throw new Error("timed out waiting for " + what);
}
"""

LOGIN = MODULES + """
const login = Cc["@mozilla.org/login-manager/loginInfo;1"].createInstance(Ci.nsILoginInfo);
const server = MailServices.accounts.defaultAccount.incomingServer;
const origin = "imap://" + new URL(server.serverURI).host;
login.init(origin, null, origin, server.username, arguments[0], "", "");
await Services.logins.addLoginAsync(login);
"""

SEND = MODULES + """
const [format, subject] = arguments;
Services.prefs.setIntPref("mail.default_send_format", format == "html" ? 2 : 0);
const fields = Cc["@mozilla.org/messengercompose/composefields;1"].createInstance(Ci.nsIMsgCompFields);
const identity = MailServices.accounts.defaultAccount.defaultIdentity;
fields.to = identity.email;
fields.subject = subject;
const params = Cc["@mozilla.org/messengercompose/composeparams;1"].createInstance(Ci.nsIMsgComposeParams);
params.type = Ci.nsIMsgCompType.New;
params.format = format == "plain" ? Ci.nsIMsgCompFormat.PlainText : Ci.nsIMsgCompFormat.HTML;
params.identity = identity;
params.composeFields = fields;
MailServices.compose.OpenComposeWindowWithParams(null, params);
const compose = await until("the compose window", () => {
    const w = Services.wm.getMostRecentWindow("msgcompose");
    return w && w.composeEditorReady && w;
});
// Into the body, as a user clicks there and presses Ctrl+V.
compose.focus();
compose.document.getElementById("messageEditor").contentWindow.focus();
await pause(300);
compose.goDoCommand("cmd_paste");
await pause(300);
const body = compose.document.getElementById("messageEditor").contentDocument.body.textContent.length;
compose.goDoCommand("cmd_sendNow");
await until("the message to be sent", () => compose.closed);
return body;
"""

COPY = MODULES + """
const [subject] = arguments;
const inbox = MailServices.accounts.defaultAccount.incomingServer.rootFolder
    .getFolderWithFlags(Ci.nsMsgFolderFlags.Inbox);
const message = await until("the message in the inbox", () => {
    inbox.updateFolder(null);
    return [...inbox.messages].find(m => m.mime2DecodedSubject == subject);
});
// A new profile's first message can be asked for while the folder tab is still loading, which
// drops the request: it is asked for again every three seconds until the pane shows it.
let polls = 0;
const aboutMessage = await until("the message pane", () => {
    if (polls++ % 30 == 0)
        MailUtils.displayMessageInFolderTab(message);
    const w = window.gTabmail.currentAbout3Pane?.messageBrowser?.contentWindow;
    return w?.gMessage == message && w;
});
const browser = aboutMessage.getMessagePaneBrowser();
// The pane loads the message's own address, which ends in ">" and its key (on IMAP, its UID).
await until("the message to show", () =>
    decodeURIComponent(browser.currentURI.asciiSpec).endsWith(">" + message.messageKey)
    && !browser.webProgress.isLoadingDocument
    && browser.contentDocument?.readyState == "complete");
// As a user clicks into the message and presses Ctrl+A and Ctrl+C.
browser.focus();
await pause(300);
aboutMessage.goDoCommand("cmd_selectAll");
aboutMessage.goDoCommand("cmd_copy");
"""

port_file, action, *rest = sys.argv[1:]
with open(port_file) as f:
    port = int(f.read())
thunderbird = Marionette(port)
result = thunderbird.run({"login": LOGIN, "send": SEND, "copy": COPY}[action], *rest)
if result is not None:
    print(result)
