-- A PostgreSQL shop: domains with checks, identity and serial keys, a
-- sequence of its own, views, a function and a procedure, comments; an
-- audit schema beside it refers into the shop.
CREATE DOMAIN positive_amount AS numeric(12,2) CHECK (VALUE > 0);
CREATE DOMAIN email_address AS varchar(254) CHECK (VALUE LIKE '%@%');
COMMENT ON DOMAIN email_address IS 'An address with an at sign';
CREATE SEQUENCE invoice_numbers;
CREATE TABLE accounts (
  account_id integer GENERATED ALWAYS AS IDENTITY PRIMARY KEY,
  email email_address NOT NULL UNIQUE,
  created timestamp DEFAULT now(),
  last_ip inet
);
COMMENT ON TABLE accounts IS 'Who buys';
COMMENT ON COLUMN accounts.email IS 'Where invoices go';
CREATE TABLE invoices (
  invoice_no bigint NOT NULL DEFAULT nextval('invoice_numbers') PRIMARY KEY,
  account_id integer NOT NULL REFERENCES accounts,
  total positive_amount NOT NULL,
  note text DEFAULT 'none'
);
CREATE TABLE payments (
  payment_id serial PRIMARY KEY,
  invoice_no bigint NOT NULL REFERENCES invoices ON DELETE CASCADE,
  amount positive_amount
);
CREATE VIEW open_invoices AS SELECT * FROM invoices;
CREATE MATERIALIZED VIEW totals AS SELECT account_id, sum(total) AS total FROM invoices GROUP BY account_id;
CREATE FUNCTION invoice_total(n bigint) RETURNS numeric LANGUAGE sql AS $$ SELECT total FROM invoices WHERE invoice_no = n $$;
CREATE PROCEDURE close_invoice(n bigint) LANGUAGE sql AS $$ DELETE FROM invoices WHERE invoice_no = n $$;
CREATE SCHEMA audit;
CREATE TABLE audit.entries (
  entry_id integer PRIMARY KEY,
  account_id integer,
  CONSTRAINT log_account FOREIGN KEY (account_id) REFERENCES public.accounts
);
