"""A local SMTP server for the mail tests.

Listens on 127.0.0.1 on a free port, prints that port on its first output line, and saves every
accepted message into the output folder: the raw bytes as NNN.eml and, read back through Python's
own e-mail parser, a NNN.json with the envelope, the decoded headers, the text body and the
attachments (file name and base64 content). Addresses named with --refuse are turned down as
recipients and as senders, each with a line that names its own address, and so is, after its data,
every message whose body contains the text given with --reject-body. With --close-after N the
server takes N messages and then answers every further one with 421 and closes the connection;
with --drop-after N it takes N and then drops the connection after the next one's data, without an
answer. With --data-delay-ms the server waits that long after a message's data before it takes it
and answers.

For runs that write down each message they send, in the SQLite database --db:
--marks-sql: as each message begins, the number this query reads from the file (what a program
stopped at that moment would leave) is saved with the message as marks_at_start.
--lock-at K --lock-ms MS: on taking message K, another connection holds the database's write lock
for MS milliseconds (taken before the answer goes out).
--kill-after N --kill-pid-file F: right after answering message N, the process whose id F holds is
killed.
"""
import argparse
import asyncio
import base64
import email
import email.policy
import json
import os
import pathlib
import signal
import sqlite3
import sys
import threading

from aiosmtpd.smtp import SMTP


class Handler:
    def __init__(self, outdir, refuse, reject_body, close_after, data_delay_ms, args):
        self.args = args
        self.outdir = outdir
        self.data_delay = (data_delay_ms or 0) / 1000.0
        self.refuse = {a.lower() for a in refuse}
        self.reject_body = reject_body.encode('utf-8') if reject_body else None
        self.close_after = close_after
        self.count = 0

    async def handle_MAIL(self, server, session, envelope, address, mail_options):
        if self.close_after is not None and self.count >= self.close_after:
            asyncio.get_running_loop().call_soon(server.transport.close)
            return '421 4.3.2 Service shutting down'
        if address.lower() in self.refuse:
            return '553 5.7.1 <%s>: Sender address rejected' % address
        if self.args.marks_sql:
            envelope.marks_at_start = self.read_marks()
        envelope.mail_from = address
        envelope.mail_options.extend(mail_options)
        return '250 OK'

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower() in self.refuse:
            return '550 5.1.1 <%s>: Mailbox unavailable' % address
        envelope.rcpt_tos.append(address)
        return '250 OK'

    def read_marks(self):
        uri = pathlib.Path(self.args.db).absolute().as_uri() + '?mode=ro'
        con = sqlite3.connect(uri, uri=True, timeout=60)
        try:
            return con.execute(self.args.marks_sql).fetchone()[0]
        finally:
            con.close()

    def hold_lock(self):
        con = sqlite3.connect(self.args.db, timeout=60, isolation_level=None, check_same_thread=False)
        con.execute('BEGIN IMMEDIATE')

        def release():
            con.execute('COMMIT')
            con.close()
        timer = threading.Timer(self.args.lock_ms / 1000.0, release)
        # A server told to stop first lets the lock go with its process.
        timer.daemon = True
        timer.start()

    def kill(self):
        with open(self.args.kill_pid_file) as f:
            os.kill(int(f.read().strip()), signal.SIGKILL)

    async def handle_DATA(self, server, session, envelope):
        if self.data_delay:
            await asyncio.sleep(self.data_delay)
        if self.reject_body and self.reject_body in envelope.original_content:
            return '554 5.6.0 Message rejected'
        if self.args.drop_after is not None and self.count >= self.args.drop_after:
            server.transport.abort()
            return '451 4.3.0 Connection dropped'
        self.count += 1
        if self.count == self.args.lock_at:
            self.hold_lock()
        if self.count == self.args.kill_after:
            # Runs once the answer below has been written to the connection.
            asyncio.get_running_loop().call_soon(self.kill)
        base = os.path.join(self.outdir, '%03d' % self.count)
        raw = envelope.original_content
        msg = email.message_from_bytes(raw, policy=email.policy.default)
        body = msg.get_body(preferencelist=('plain',))
        info = {
            'mail_from': envelope.mail_from,
            'rcpt_tos': envelope.rcpt_tos,
            'subject': str(msg['subject']),
            'from': str(msg['from']),
            'to': [str(a) for a in msg['to'].addresses] if msg['to'] else [],
            'to_names': [a.display_name for a in msg['to'].addresses] if msg['to'] else [],
            'date': str(msg['date']),
            'message_id': str(msg['message-id']),
            'defects': [type(d).__name__ for part in msg.walk() for d in part.defects],
            'marks_at_start': getattr(envelope, 'marks_at_start', None),
            'text': body.get_content() if body is not None else None,
            'attachments': [
                {'filename': part.get_filename(),
                 'content_type': part.get_content_type(),
                 'data': base64.b64encode(part.get_payload(decode=True)).decode('ascii')}
                for part in msg.iter_attachments()
            ],
        }
        with open(base + '.eml.tmp', 'wb') as f:
            f.write(raw)
        os.replace(base + '.eml.tmp', base + '.eml')
        with open(base + '.json.tmp', 'w', encoding='utf-8') as f:
            json.dump(info, f, ensure_ascii=False)
        os.replace(base + '.json.tmp', base + '.json')
        return '250 Message accepted'


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--outdir', required=True)
    parser.add_argument('--refuse', action='append', default=[])
    parser.add_argument('--reject-body')
    parser.add_argument('--close-after', type=int)
    parser.add_argument('--data-delay-ms', type=int)
    parser.add_argument('--drop-after', type=int)
    parser.add_argument('--db')
    parser.add_argument('--marks-sql')
    parser.add_argument('--lock-at', type=int, default=0)
    parser.add_argument('--lock-ms', type=int, default=0)
    parser.add_argument('--kill-after', type=int, default=0)
    parser.add_argument('--kill-pid-file')
    args = parser.parse_args()

    handler = Handler(args.outdir, args.refuse, args.reject_body, args.close_after, args.data_delay_ms, args)
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(loop.create_server(
        lambda: SMTP(handler, hostname='localhost', data_size_limit=None, decode_data=False),
        host='127.0.0.1', port=0))
    print(server.sockets[0].getsockname()[1], flush=True)
    # The test closes our stdin when it is done; that ends the server even if it is not killed.
    loop.add_reader(sys.stdin.fileno(), lambda: sys.stdin.buffer.read1(4096) or loop.stop())
    loop.run_forever()


if __name__ == '__main__':
    main()
